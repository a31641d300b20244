#include "commandlinereading.h"

CommandLineOutcome CommandLineOutcome::failure(const QString &why)
{
    return {Action::Fail, why + QStringLiteral("\nConsulte las opciones con --help.")};
}

CommandLineOutcome CommandLineOutcome::print(const QString &text)
{
    return {Action::Print, text};
}

namespace CommandLineReading {

std::optional<CommandLineOutcome> start(QCommandLineParser &parser, const QStringList &arguments,
                                        const QCommandLineOption &help, bool takesArguments,
                                        const QCommandLineOption *version, const QString &versionText)
{
    if (!parser.parse(arguments))
        return CommandLineOutcome::failure(parser.errorText());
    if (parser.isSet(help))
        return CommandLineOutcome::print(parser.helpText());
    if (version && parser.isSet(*version))
        return CommandLineOutcome::print(versionText);
    if (!takesArguments && !parser.positionalArguments().isEmpty())
        return CommandLineOutcome::failure(
            QStringLiteral("Argumento no esperado: %1.").arg(parser.positionalArguments().constFirst()));
    return std::nullopt;
}

} // namespace CommandLineReading
