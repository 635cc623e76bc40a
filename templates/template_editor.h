#pragma once

// The "Edit Wits File" button without its window: which editor opens the selected template,
// starting it, and the text of the message box shown when it cannot be started.

#include "core/status.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace kestrune::templates {

inline constexpr char kEditorErrorTitle[] = "Error Opening WITS PACKET file";
inline constexpr char kEditorErrorFile[] = " File: ";
inline constexpr char kWindowsEditor[] = "notepad.exe";
// Looked up in this order; the first one that names a program wins.
inline constexpr char kVisualVariable[] = "VISUAL";
inline constexpr char kEditorVariable[] = "EDITOR";

inline constexpr char kNoEditorProgram[] = "No editor program to start";
// For the window, when the desktop has no program for the file either.
inline constexpr char kNoDesktopEditor[] = "No program is set to open this file";

struct EditorCommand {
    enum class Kind {
        Program,        // start `program` with `arguments`
        DesktopDefault, // no editor named: open `path` with the desktop's program for it
    };
    Kind kind = Kind::DesktopDefault;
    QString program;
    QStringList arguments; // the template's path last
    QString path;          // the template file, whether or not it exists
};

// The template's path in double quotes, with the platform's own separators.
QString quoted(const QString& path);

// On Windows notepad; elsewhere $VISUAL, then $EDITOR (split into words as a command line, never
// through a shell), then the desktop's default program.
EditorCommand editorCommand(bool full, const QString& programFolder,
                            const QProcessEnvironment& environment);

// The command as the operator would type it: the program, then the arguments, quoted where
// needed (on Windows the path always is).
QString commandText(const EditorCommand& command);

// Starts the program without waiting for it; the desktop default is the window's to open.
Status startEditor(const EditorCommand& command);

// The message box text for an editor that could not be started.
QString editorFailureText(const QString& description, const EditorCommand& command);

} // namespace kestrune::templates
