#include "templates/template_editor.h"

#include "templates/template_files.h"

#include <QDir>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kestrune::templates {
namespace {

#ifdef Q_OS_WIN
// Always quoted, so a path through a folder with a blank still names one file.
constexpr bool kQuoteEveryArgument = true;
#else
constexpr bool kQuoteEveryArgument = false;
#endif

bool needsQuotes(const QString& argument) {
    if (kQuoteEveryArgument || argument.isEmpty()) {
        return true;
    }
    for (const QChar c : argument) {
        if (c.isSpace()) {
            return true;
        }
    }
    return false;
}

QString argumentsText(const QStringList& arguments) {
    QStringList words;
    for (const QString& argument : arguments) {
        words << (needsQuotes(argument) ? quoted(argument) : argument);
    }
    return words.join(u' ');
}

} // namespace

QString quoted(const QString& path) {
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

EditorCommand editorCommand(bool full, const QString& programFolder,
                            [[maybe_unused]] const QProcessEnvironment& environment) {
    EditorCommand command;
    command.path = templatePath(programFolder,
                                QString::fromLatin1(full ? kFullTemplateName : kHalfTemplateName));
#ifdef Q_OS_WIN
    command.kind = EditorCommand::Kind::Program;
    command.program = QString::fromLatin1(kWindowsEditor);
    command.arguments = QStringList{command.path};
#else
    for (const char* variable : {kVisualVariable, kEditorVariable}) {
        QStringList words =
            QProcess::splitCommand(environment.value(QString::fromLatin1(variable)));
        if (!words.isEmpty()) {
            command.kind = EditorCommand::Kind::Program;
            command.program = words.takeFirst();
            command.arguments = words << command.path;
            return command;
        }
    }
    command.kind = EditorCommand::Kind::DesktopDefault;
#endif
    return command;
}

QString commandText(const EditorCommand& command) {
    if (command.kind == EditorCommand::Kind::DesktopDefault) {
        return QDir::toNativeSeparators(command.path);
    }
    if (command.arguments.isEmpty()) {
        return command.program;
    }
    return command.program + u' ' + argumentsText(command.arguments);
}

Status startEditor(const EditorCommand& command) {
    if (command.kind != EditorCommand::Kind::Program || command.program.isEmpty()) {
        return Failure{QString::fromLatin1(kNoEditorProgram)};
    }
    QProcess process;
    process.setProgram(command.program);
#ifdef Q_OS_WIN
    // The command line exactly as shown in a failure, and the editor minimized with the focus.
    process.setNativeArguments(argumentsText(command.arguments));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
        arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        arguments->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
    });
#else
    process.setArguments(command.arguments);
#endif
    if (!process.startDetached()) {
        const QString reason = process.errorString();
        return Failure{reason.isEmpty() ? QString::fromLatin1(kNoEditorProgram) : reason};
    }
    return {};
}

QString editorFailureText(const QString& description, const EditorCommand& command) {
    return description + QString::fromLatin1(kLineEnd) + QString::fromLatin1(kEditorErrorFile) +
           commandText(command);
}

} // namespace kestrune::templates
