// Loads arbitrary bytes as a template file and compares the slots with the lines an independent
// splitter finds; aborts on any difference so libFuzzer keeps the input.

#include "templates/template_files.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using namespace kestrune;

// A template holds this many lines; one more fails.
constexpr std::size_t kSlots = 201;
static_assert(std::tuple_size_v<TemplateLines> == kSlots);

[[noreturn]] void broken(const char* what, std::size_t slot, const QByteArray& detail) {
    std::fprintf(stderr, "broken property: %s (slot %zu)\n%s\n", what, slot,
                 detail.toPercentEncoding(" ").constData());
    std::abort();
}

// Lines of a template file: CR LF or a lone CR ends a line, a lone LF is part of the line, bytes
// after the last line end are one more line.
std::vector<QByteArray> referenceLines(const QByteArray& file) {
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype cr = file.indexOf('\r'); cr >= 0; cr = file.indexOf('\r', start)) {
        lines.push_back(file.sliced(start, cr - start));
        start = cr + 1;
        if (start < file.size() && file[start] == '\n') {
            ++start;
        }
    }
    if (start < file.size()) {
        lines.push_back(file.sliced(start));
    }
    return lines;
}

// One file per process, in memory when /dev/shm is there: rewriting a file on disk thousands of
// times a second makes the file system flush it on every close. Removed when the process ends.
class ScratchFile {
public:
    ScratchFile()
        : path_(
              (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                         : QDir::tempPath()) +
              QStringLiteral("/kestrune-fuzz-template-%1.txt").arg(static_cast<qint64>(getpid()))),
          native_(QFile::encodeName(path_)) {}
    ~ScratchFile() { std::remove(native_.constData()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& path() const { return path_; }
    const char* native() const { return native_.constData(); }

private:
    QString path_;
    QByteArray native_;
};

const ScratchFile& scratch() {
    static const ScratchFile file;
    return file;
}

bool writeScratch(const QByteArray& bytes) {
    std::FILE* f = std::fopen(scratch().native(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     f) == static_cast<std::size_t>(bytes.size());
    return std::fclose(f) == 0 && written;
}

void checkLoad(const QByteArray& file) {
    if (!writeScratch(file)) {
        std::fprintf(stderr, "cannot write %s\n", scratch().native());
        std::abort();
    }
    TemplateLines lines; // fresh: the loader appends to what a slot holds
    const Status loaded = templates::loadTemplate(scratch().path(), lines);
    const std::vector<QByteArray> expected = referenceLines(file);
    const bool tooMany = expected.size() > kSlots;

    if (tooMany) {
        if (loaded.ok()) {
            broken("a line beyond the last slot fails", kSlots, file);
        }
        if (loaded.description() != QString::fromLatin1(templates::kSubscriptOutOfRange)) {
            broken("a line beyond the last slot is out of range", kSlots,
                   loaded.description().toUtf8());
        }
    } else if (!loaded.ok()) {
        broken("loading succeeds", 0, loaded.description().toUtf8());
    }

    const std::size_t filled = tooMany ? kSlots : expected.size();
    for (std::size_t i = 0; i < kSlots; ++i) {
        const QByteArray& slot = lines[i];
        if (i >= filled) {
            if (!slot.isEmpty()) {
                broken("slots after the last line stay empty", i, slot);
            }
            continue;
        }
        if (!slot.endsWith(templates::kLineEnd)) {
            broken("every filled slot ends with CR LF", i, slot);
        }
        if (slot.chopped(2) != expected[i]) {
            broken("slot holds its line", i, slot + "\n-- expected --\n" + expected[i]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkLoad(input);
    // The same bytes again behind a long first line, so that the loader's first read ends after 1
    // to 16 bytes of the input and line ends split across two reads.
    const qsizetype shift = 1 + (size > 0 ? data[0] % 16 : 0);
    checkLoad(QByteArray(templates::kReadChunkBytes - shift, 'x') + input);
    return 0;
}
