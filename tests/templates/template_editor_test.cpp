#include "templates/template_editor.h"

#include <gtest/gtest.h>

namespace kestrune::templates {
namespace {

using Kind = EditorCommand::Kind;

QProcessEnvironment environment(std::initializer_list<std::pair<const char*, const char*>> vars) {
    QProcessEnvironment env;
    for (const auto& [name, value] : vars) {
        env.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    }
    return env;
}

TEST(EditorCommand, QuotedPathKeepsBlanksTogether) {
    EXPECT_EQ(quoted(QStringLiteral("/opt/my rig/Full_Wits_Packet.txt")),
              QStringLiteral("\"/opt/my rig/Full_Wits_Packet.txt\""));
}

#ifdef Q_OS_WIN
TEST(EditorCommand, NotepadOnTheQuotedPath) {
    const EditorCommand command =
        editorCommand(true, QStringLiteral("C:/Program Files/Kestrune"), environment({}));
    EXPECT_EQ(command.kind, Kind::Program);
    EXPECT_EQ(commandText(command),
              QStringLiteral("notepad.exe \"C:\\Program Files\\Kestrune\\Full_Wits_Packet.txt\""));
}
#else
TEST(EditorCommand, VisualThenEditorThenDesktopDefault) {
    const QString folder = QStringLiteral("/opt/kestrune");
    const QString full = QStringLiteral("/opt/kestrune/Full_Wits_Packet.txt");
    const QString half = QStringLiteral("/opt/kestrune/Half_Wits_Packet.txt");
    struct Case {
        const char* name;
        bool full;
        QProcessEnvironment env;
        Kind kind;
        QString program;
        QStringList arguments;
    };
    const Case cases[] = {
        {"visual wins",
         true,
         environment({{"VISUAL", "code -w"}, {"EDITOR", "vi"}}),
         Kind::Program,
         "code",
         {"-w", full}},
        {"editor alone", false, environment({{"EDITOR", "nano"}}), Kind::Program, "nano", {half}},
        {"empty visual",
         true,
         environment({{"VISUAL", ""}, {"EDITOR", "kate"}}),
         Kind::Program,
         "kate",
         {full}},
        {"quoted program",
         false,
         environment({{"VISUAL", "\"/opt/My Ed/ed\" --new"}}),
         Kind::Program,
         "/opt/My Ed/ed",
         {"--new", half}},
        {"shell words stay words",
         true,
         environment({{"EDITOR", "vi; rm -rf ~"}}),
         Kind::Program,
         "vi;",
         {"rm", "-rf", "~", full}},
        {"blank editors",
         true,
         environment({{"VISUAL", "  "}, {"EDITOR", "\t"}}),
         Kind::DesktopDefault,
         "",
         {}},
        {"none", false, environment({}), Kind::DesktopDefault, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EditorCommand command = editorCommand(c.full, folder, c.env);
        EXPECT_EQ(command.kind, c.kind);
        EXPECT_EQ(command.program, c.program);
        EXPECT_EQ(command.arguments, c.arguments);
        EXPECT_EQ(command.path, c.full ? full : half);
    }
}

TEST(EditorCommand, TextQuotesOnlyWordsWithBlanks) {
    const EditorCommand command = editorCommand(true, QStringLiteral("/home/op/My Rig"),
                                                environment({{"VISUAL", "code -w"}}));
    EXPECT_EQ(commandText(command),
              QStringLiteral("code -w \"/home/op/My Rig/Full_Wits_Packet.txt\""));
    const EditorCommand desktop = editorCommand(false, QStringLiteral("/home/op"), environment({}));
    EXPECT_EQ(commandText(desktop), QStringLiteral("/home/op/Half_Wits_Packet.txt"));
}

TEST(EditorCommand, StartsAnEditorEvenWithoutTheFile) {
    const EditorCommand command =
        editorCommand(true, QStringLiteral("/nonexistent"), environment({{"EDITOR", "true"}}));
    const Status started = startEditor(command);
    EXPECT_TRUE(started.ok()) << started.description().toStdString();
}
#endif

TEST(EditorCommand, FailureNamesTheWholeCommand) {
    EditorCommand command;
    command.kind = Kind::Program;
    command.program = QStringLiteral("/nonexistent/kestrune-editor");
    command.arguments = QStringList{QStringLiteral("/opt/Full_Wits_Packet.txt")};
    const Status started = startEditor(command);
    ASSERT_FALSE(started.ok());
    EXPECT_FALSE(started.description().isEmpty());
#ifdef Q_OS_WIN
    const QString shown =
        QStringLiteral("/nonexistent/kestrune-editor \"\\opt\\Full_Wits_Packet.txt\"");
#else
    const QString shown = QStringLiteral("/nonexistent/kestrune-editor /opt/Full_Wits_Packet.txt");
#endif
    EXPECT_EQ(editorFailureText(started.description(), command),
              started.description() + QStringLiteral("\r\n File: ") + shown);

    EditorCommand desktop;
    desktop.path = command.arguments.front();
    EXPECT_EQ(startEditor(desktop).description(), QString::fromLatin1(kNoEditorProgram));
}

} // namespace
} // namespace kestrune::templates
