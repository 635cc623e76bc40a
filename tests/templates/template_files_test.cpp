#include "templates/template_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <vector>

namespace kestrune::templates {
namespace {

using Lines = std::vector<QByteArray>;

const QDateTime kEvening(QDate(2024, 3, 5), QTime(19, 4, 9));

class TemplateFolder : public ::testing::Test {
protected:
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    void writeFull(const QByteArray& bytes) {
        write(QString::fromLatin1(kFullTemplateName), bytes);
    }
    void writeHalf(const QByteArray& bytes) {
        write(QString::fromLatin1(kHalfTemplateName), bytes);
    }

    void load() {
        LoadWitsFiles(state, dir.path(), clock,
                      [this](QByteArrayView text) { messages.push_back(text.toByteArray()); });
    }

    QTemporaryDir dir;
    FixedClock clock{kEvening};
    sim_state state;
    Lines messages;
};

QByteArray numberedLines(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += "0110" + QByteArray::number(i) + "\r\n";
    }
    return bytes;
}

// The slots in use, up to the first empty one.
Lines filled(const TemplateLines& lines) {
    Lines out;
    for (const QByteArray& slot : lines) {
        if (slot.isEmpty()) {
            break;
        }
        out.push_back(slot);
    }
    return out;
}

Lines withLineEnds(const Lines& lines) {
    Lines out;
    for (const QByteArray& line : lines) {
        out.push_back(line + "\r\n");
    }
    return out;
}

QByteArray byteRange(int first, int last) {
    QByteArray bytes;
    for (int b = first; b <= last; ++b) {
        bytes += static_cast<char>(b);
    }
    return bytes;
}

struct FormatCase {
    const char* name;
    QByteArray file;
    Lines lines;
};

TEST_F(TemplateFolder, FileFormat) {
    const QByteArray straddle(kReadChunkBytes - 1, 'x');
    const QByteArray longLine(kReadChunkBytes * 3 + 7, 'y');
    const QByteArray beforeCr = byteRange(0, '\r' - 1);
    const QByteArray afterCr = byteRange('\r' + 1, 255);
    const FormatCase cases[] = {
        {"crlf", "&&\r\n0110\r\n!!\r\n", {"&&", "0110", "!!"}},
        {"lone cr", "&&\r0110\r!!\r", {"&&", "0110", "!!"}},
        {"lone lf stays in the line", "&&\n0110\n!!\n", {"&&\n0110\n!!\n"}},
        {"last line without an end", "&&\r\n!!", {"&&", "!!"}},
        {"empty line kept", "&&\r\n\r\n!!\r\n", {"&&", "", "!!"}},
        {"only a line end", "\r\n", {""}},
        {"empty file", "", {}},
        {"mixed endings", "a\r\nb\rc\nd\r\r\ne", {"a", "b", "c\nd", "", "e"}},
        {"lf then cr", "a\n\rb", {"a\n", "b"}},
        {"every byte value", byteRange(0, 255), {beforeCr, afterCr}},
        {"nul and high bytes",
         QByteArray("1984\0\x80\xff", 7) + "\r\n",
         {QByteArray("1984\0\x80\xff", 7)}},
        {"cr lf across a read chunk", straddle + "\r\nz", {straddle, "z"}},
        {"cr closing a read chunk", straddle + "\rz", {straddle, "z"}},
        {"line longer than a chunk", longLine + "\r\n" + longLine, {longLine, longLine}},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        writeFull(c.file);
        TemplateLines lines;
        const Status loaded =
            loadTemplate(dir.filePath(QString::fromLatin1(kFullTemplateName)), lines);
        ASSERT_TRUE(loaded.ok()) << loaded.description().toStdString();
        EXPECT_EQ(filled(lines), withLineEnds(c.lines));
    }
}

TEST_F(TemplateFolder, SlotCountBoundsEachTemplate) {
    const QByteArray fits = numberedLines(kTemplateSlots);
    const QByteArray tooLong = numberedLines(kTemplateSlots + 1);
    struct Case {
        const char* name;
        QByteArray full;
        QByteArray half;
        Lines messages;
        std::size_t fullSlots;
        std::size_t halfSlots;
    };
    const Case cases[] = {
        {"both fit", fits, fits, {}, kTemplateSlots, kTemplateSlots},
        {"full too long: half not loaded",
         tooLong,
         fits,
         {"LOAD ERR: Subscript out of range"},
         kTemplateSlots,
         0},
        {"half too long by an empty line",
         fits,
         fits + "\r\n",
         {"LOAD ERR: Subscript out of range"},
         kTemplateSlots,
         kTemplateSlots},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFull(c.full);
        writeHalf(c.half);
        state = sim_state();
        messages.clear();
        load();
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(filled(state.full_wits_lines).size(), c.fullSlots);
        EXPECT_EQ(filled(state.half_wits_lines).size(), c.halfSlots);
        EXPECT_EQ(state.full_wits_lines.back(), "0110200\r\n");
    }
}

TEST_F(TemplateFolder, MissingFullIsTheOnlyReport) {
    for (const bool halfThere : {false, true}) {
        SCOPED_TRACE(halfThere);
        if (halfThere) {
            writeHalf("&&\r\n!!\r\n");
        }
        messages.clear();
        load();
        EXPECT_EQ(messages, Lines{"19:04:09 File not found: Full_Wits_Packet.txt"});
        EXPECT_TRUE(filled(state.half_wits_lines).empty());
    }
}

TEST_F(TemplateFolder, MissingHalfKeepsTheFullLoaded) {
    writeFull("&&\r\n!!\r\n");
    clock.set(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 1)));
    load();
    EXPECT_EQ(messages, Lines{"00:00:01 File not found: Half_Wits_Packet.txt"});
    EXPECT_EQ(filled(state.full_wits_lines), withLineEnds({"&&", "!!"}));
}

TEST_F(TemplateFolder, PresentMeansReadableEvenWhenEmpty) {
    writeHalf("");
    EXPECT_TRUE(IsFileThere(dir.path(), kHalfTemplateName));
    EXPECT_FALSE(IsFileThere(dir.path(), kFullTemplateName));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QString::fromLatin1(kFullTemplateName)));
    EXPECT_FALSE(IsFileThere(dir.path(), kFullTemplateName));
    load();
    EXPECT_EQ(messages, Lines{"19:04:09 File not found: Full_Wits_Packet.txt"});
}

TEST_F(TemplateFolder, LinesAreAppendedToWhatTheSlotsHold) {
    writeFull("a\r\nb\r\n");
    writeHalf("");
    state.full_wits_lines[0] = "old";
    state.full_wits_lines[5] = "kept";
    load();
    EXPECT_EQ(state.full_wits_lines[0], "olda\r\n");
    EXPECT_EQ(state.full_wits_lines[1], "b\r\n");
    EXPECT_EQ(state.full_wits_lines[5], "kept");
}

TEST_F(TemplateFolder, HugeFilesLoadOrFailWithoutHanging) {
    constexpr qsizetype kTenMegabytes = 10 * 1024 * 1024;
    // One binary line of every byte value except CR.
    std::mt19937 engine(7);
    QByteArray binary(kTenMegabytes, Qt::Uninitialized);
    for (char& byte : binary) {
        do {
            byte = static_cast<char>(engine() & 0xff);
        } while (byte == '\r');
    }
    writeFull(binary);
    writeHalf(QByteArray(kTenMegabytes / 2, '\r')); // five million empty lines
    load();
    EXPECT_EQ(messages, Lines{"LOAD ERR: Subscript out of range"});
    EXPECT_EQ(state.full_wits_lines[0], binary + "\r\n");
    EXPECT_EQ(filled(state.half_wits_lines), Lines(kTemplateSlots, "\r\n"));
}

TEST(TemplatePath, OneSeparatorBetweenFolderAndName) {
    struct Case {
        const char* folder;
        const char* path;
    };
    const Case cases[] = {
#ifdef Q_OS_WIN
        {"C:\\", "C:\\Full_Wits_Packet.txt"},
        {"C:/", "C:/Full_Wits_Packet.txt"},
        {"C:\\Kestrune", "C:\\Kestrune\\Full_Wits_Packet.txt"},
        {"C:/Kestrune", "C:/Kestrune\\Full_Wits_Packet.txt"},
#else
        {"/", "/Full_Wits_Packet.txt"},
        {"/opt/kestrune", "/opt/kestrune/Full_Wits_Packet.txt"},
        {"/opt/kestrune/", "/opt/kestrune/Full_Wits_Packet.txt"},
        {"/opt/odd\\", "/opt/odd\\/Full_Wits_Packet.txt"},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            templatePath(QString::fromLatin1(c.folder), QString::fromLatin1(kFullTemplateName)),
            QString::fromLatin1(c.path));
    }
}

} // namespace
} // namespace kestrune::templates
