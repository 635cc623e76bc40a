#pragma once

// The two packet templates beside the executable: the test for a file's presence and the
// loading of both into the simulator state at start-up.

#include "core/clock.h"
#include "core/sim_state.h"
#include "core/status.h"

#include <QByteArrayView>
#include <QString>
#include <functional>

namespace kestrune::templates {

inline constexpr char kFullTemplateName[] = "Full_Wits_Packet.txt";
inline constexpr char kHalfTemplateName[] = "Half_Wits_Packet.txt";

// Reports in the send window.
inline constexpr char kFileNotFound[] = " File not found: ";
inline constexpr char kLoadErrLabel[] = "LOAD ERR: ";
inline constexpr char kTimeOfDayFormat[] = "hh:mm:ss";

// Descriptions of loading failures that do not come from the file system.
inline constexpr char kSubscriptOutOfRange[] = "Subscript out of range";
inline constexpr char kOutOfMemory[] = "Out of memory";

// Stored after every line of a template, whatever ended it in the file.
inline constexpr char kLineEnd[] = "\r\n";

// Templates are read in pieces of this size, so a huge file never has to fit in memory at once.
inline constexpr qint64 kReadChunkBytes = 64 * 1024;

// The folder, a separator unless the folder already ends in one (a root folder does), the name.
QString templatePath(const QString& folder, const QString& fileName);

// True when the file opens for reading; an empty file counts. A name whose second character is
// ':' starts with a drive letter and is taken as the whole path.
bool IsFileThere(const QString& programFolder, QByteArrayView fileName);

// Appends each line of the file, followed by CR LF, to the slot of its index. CR LF or a lone CR
// ends a line, a lone LF stays in it, and a last line without an end is read all the same. Bytes
// pass unchanged. A line beyond the last slot fails after all slots have been filled.
Status loadTemplate(const QString& path, TemplateLines& lines);

// Loads the full and then the half template from the program folder. A missing file is reported
// with the time of day and ends the loading; any other failure is reported with "LOAD ERR: ".
void LoadWitsFiles(sim_state& state, const QString& programFolder, const Clock& clock,
                   const std::function<void(QByteArrayView)>& disply_text);

} // namespace kestrune::templates
