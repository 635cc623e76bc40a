#include "templates/template_files.h"

#include <QDir>
#include <QFile>
#include <new>

namespace kestrune::templates {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kDriveSeparator = ':';

#ifdef Q_OS_WIN
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false; // an ordinary character in a file name
#endif

bool endsInSeparator(const QString& folder) {
    return folder.endsWith(u'/') || (kBackslashSeparates && folder.endsWith(u'\\'));
}

// Hands each line to the slots in turn; a line beyond the last slot fails.
class SlotFiller {
public:
    explicit SlotFiller(TemplateLines& lines) : lines_(lines) {}

    Status take(QByteArrayView line) {
        if (next_ >= kTemplateSlots) {
            return Failure{QString::fromLatin1(kSubscriptOutOfRange)};
        }
        QByteArray& slot = lines_[static_cast<std::size_t>(next_)];
        slot += line;
        slot += kLineEnd;
        ++next_;
        return {};
    }

private:
    TemplateLines& lines_;
    int next_ = 0;
};

Status readLines(QFile& file, SlotFiller& filler) {
    QByteArray chunk(kReadChunkBytes, Qt::Uninitialized);
    QByteArray line;
    // A CR that closed the previous chunk: an LF opening this one belongs to it.
    bool crPending = false;
    for (;;) {
        const qint64 got = file.read(chunk.data(), kReadChunkBytes);
        if (got < 0) {
            return Failure{file.errorString()};
        }
        if (got == 0) {
            break;
        }
        const QByteArrayView bytes(chunk.constData(), got);
        qsizetype pos = 0;
        if (crPending && bytes.front() == kLf) {
            pos = 1;
        }
        crPending = false;
        while (pos < bytes.size()) {
            const qsizetype cr = bytes.indexOf(kCr, pos);
            if (cr < 0) {
                line += bytes.sliced(pos);
                break;
            }
            line += bytes.sliced(pos, cr - pos);
            if (const Status taken = filler.take(line); !taken) {
                return taken;
            }
            line.clear();
            pos = cr + 1;
            if (pos == bytes.size()) {
                crPending = true;
            } else if (bytes[pos] == kLf) {
                ++pos;
            }
        }
    }
    // Whatever follows the last line end is a line too; an LF after a CR has been consumed.
    if (!line.isEmpty()) {
        return filler.take(line);
    }
    return {};
}

QByteArray timeOfDay(const Clock& clock) {
    return clock.now().time().toString(QString::fromLatin1(kTimeOfDayFormat)).toLatin1();
}

} // namespace

QString templatePath(const QString& folder, const QString& fileName) {
    if (endsInSeparator(folder)) {
        return folder + fileName;
    }
    return folder + QDir::separator() + fileName;
}

bool IsFileThere(const QString& programFolder, QByteArrayView fileName) {
    const QString name = QFile::decodeName(fileName.toByteArray());
    const bool driveLetter = fileName.size() > 1 && fileName[1] == kDriveSeparator;
    QFile file(driveLetter ? name : templatePath(programFolder, name));
    const bool opened = file.open(QIODevice::ReadOnly);
    file.close();
    return opened;
}

Status loadTemplate(const QString& path, TemplateLines& lines) {
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return Failure{file.errorString()};
        }
        SlotFiller filler(lines);
        return readLines(file, filler);
    } catch (const std::bad_alloc&) {
        return Failure{QString::fromLatin1(kOutOfMemory)};
    }
}

void LoadWitsFiles(sim_state& state, const QString& programFolder, const Clock& clock,
                   const std::function<void(QByteArrayView)>& disply_text) {
    struct Template {
        const char* name;
        TemplateLines& lines;
    };
    // The full template first: when it is missing the half one is not looked for.
    const Template order[] = {{kFullTemplateName, state.full_wits_lines},
                              {kHalfTemplateName, state.half_wits_lines}};
    for (const Template& tmpl : order) {
        if (!IsFileThere(programFolder, tmpl.name)) {
            disply_text(timeOfDay(clock) + kFileNotFound + tmpl.name);
            return;
        }
        const QString path = templatePath(programFolder, QString::fromLatin1(tmpl.name));
        if (const Status loaded = loadTemplate(path, tmpl.lines); !loaded) {
            disply_text(kLoadErrLabel + loaded.description().toLatin1());
            return;
        }
    }
}

} // namespace kestrune::templates
