#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

// What the two programs' command lines share: the outcome of reading one, and the first
// reading, which ends the program early for a wrong option, the help or the version.
struct CommandLineOutcome
{
    enum class Action { Run, Print, Fail };

    Action action = Action::Run;
    // The help or the version for Print, the error for Fail, in Spanish.
    QString text;

    // Ends the program with a wrong value: why, and where to look.
    static CommandLineOutcome failure(const QString &why);
    static CommandLineOutcome print(const QString &text);
};

namespace CommandLineReading {

// Parses the arguments with the parser's options. An outcome when the program ends at once:
// an unknown option or a missing value, an argument where none is expected, or the help or
// the version (when versionText is given) asked for; none to go on.
std::optional<CommandLineOutcome> start(QCommandLineParser &parser, const QStringList &arguments,
                                        const QCommandLineOption &help, bool takesArguments,
                                        const QCommandLineOption *version = nullptr,
                                        const QString &versionText = QString());

} // namespace CommandLineReading
