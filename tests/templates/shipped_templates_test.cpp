// The two template files that ship beside the executable.

#include "templates/template_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <set>
#include <vector>

namespace kestrune::templates {
namespace {

const QString kSourceDir = QStringLiteral(KESTRUNE_TEMPLATE_SOURCE_DIR);
const QString kProgramDir = QStringLiteral(KESTRUNE_PROGRAM_DIR);

constexpr char kHeader[] = "&&";
constexpr char kTrailer[] = "!!";
constexpr char kVendorLine[] = "1984PASON/EDR";
constexpr int kCodeLength = 4;

using Block = std::vector<QByteArray>; // the lines between the header and the trailer
using Codes = std::set<QByteArray>;

QByteArray contents(const QString& folder, const char* name) {
    QFile file(templatePath(folder, QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// Splits a template into its blocks, failing the test on any line outside a block.
std::vector<Block> blocks(const QByteArray& bytes) {
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the last LF
    std::vector<Block> out;
    bool open = false;
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << "LF without CR: " << line.toStdString();
        line.chop(1);
        EXPECT_FALSE(line.contains('\r')) << "lone CR: " << line.toStdString();
        if (line == kHeader) {
            EXPECT_FALSE(open) << "header inside a block";
            out.emplace_back();
            open = true;
        } else if (line == kTrailer) {
            EXPECT_TRUE(open) << "trailer without header";
            open = false;
        } else {
            EXPECT_TRUE(open) << "line outside a block: " << line.toStdString();
            if (open) {
                out.back().push_back(line);
            }
        }
    }
    EXPECT_FALSE(open) << "last block not closed";
    return out;
}

// Checks each item line and returns the codes; one record per block, no code twice.
Codes itemCodes(const std::vector<Block>& parsed) {
    Codes codes;
    for (const Block& block : parsed) {
        EXPECT_FALSE(block.empty());
        for (const QByteArray& line : block) {
            const QByteArray code = line.left(kCodeLength);
            bool digits = false;
            code.toInt(&digits);
            EXPECT_TRUE(digits && line.size() > kCodeLength) << line.toStdString();
            EXPECT_EQ(code.left(2), block.front().left(2)) << "records mixed in a block";
            EXPECT_TRUE(codes.insert(code).second) << "twice: " << code.toStdString();
        }
    }
    return codes;
}

bool holds(const Codes& codes, const Codes& wanted) {
    return std::includes(codes.begin(), codes.end(), wanted.begin(), wanted.end());
}

const Codes kHalfCodes = {"0108", "0110", "0123", "0124", "0125",
                          "0137", "0143", "0144", "0145", "1108"};
const Codes kFullOnlyCodes = {"0104", "0105", "0408", "0410"};

TEST(ShippedTemplates, BlocksAndCodes) {
    for (const char* name : {kFullTemplateName, kHalfTemplateName}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = contents(kSourceDir, name);
        EXPECT_LT(bytes.count('\n'), kTemplateSentSlots);
        const std::vector<Block> parsed = blocks(bytes);
        const Codes codes = itemCodes(parsed);
        EXPECT_TRUE(holds(codes, kHalfCodes));
        const bool full = name == kFullTemplateName;
        for (const QByteArray& code : kFullOnlyCodes) {
            EXPECT_EQ(codes.count(code), full ? 1u : 0u) << code.toStdString();
        }
        // The vendor line alone in its block, and the only line EPIC and TOTCO leave out.
        EXPECT_EQ(std::count(parsed.begin(), parsed.end(), Block{kVendorLine}), 1);
        EXPECT_EQ(bytes.count("PASON"), 1);
        // Record 01 carries items the simulator leaves at their written values.
        EXPECT_TRUE(holds(codes, {"0113", "0121"}));
    }
}

TEST(ShippedTemplates, LoadAsWrittenAndAreCopiedBesideTheProgram) {
    sim_state state;
    std::vector<QByteArray> messages;
    const FixedClock clock{QDateTime(QDate(2024, 1, 1), QTime(12, 0))};
    LoadWitsFiles(state, kSourceDir, clock,
                  [&](QByteArrayView text) { messages.push_back(text.toByteArray()); });
    EXPECT_TRUE(messages.empty());
    const std::pair<const char*, const TemplateLines*> loaded[] = {
        {kFullTemplateName, &state.full_wits_lines}, {kHalfTemplateName, &state.half_wits_lines}};
    for (const auto& [name, lines] : loaded) {
        SCOPED_TRACE(name);
        QByteArray joined;
        for (const QByteArray& slot : *lines) {
            joined += slot;
        }
        const QByteArray source = contents(kSourceDir, name);
        EXPECT_EQ(joined, source);
        EXPECT_EQ(contents(kProgramDir, name), source);
    }
}

} // namespace
} // namespace kestrune::templates
