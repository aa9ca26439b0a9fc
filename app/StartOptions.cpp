#include "app/StartOptions.h"

#include "app/CPellwickApp.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace StartOptions {

std::optional<int> Handle(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Messenger of the local network: who is online, private messages and a chat room.\n"
                       "Lives in the notification area; started with no arguments.\n"
                       "For scripts: pellwick send, pellwick chat, pellwick users (each with --help)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOption(help);
    parser.addOption(version);

    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        QString error = parser.errorText();
        if (error.isEmpty())
            error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst());
        if (error.endsWith(u'.'))
            error.chop(1);
        std::fprintf(stderr, "pellwick: %s (see pellwick --help)\n", qPrintable(error));
        return CPellwickApp::EXIT_USAGE;
    }
    if (parser.isSet(help)) {
        // There is no application object yet, so the parser cannot know the program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("pellwick"));
        std::fputs(qPrintable(text), stdout);
        return CPellwickApp::EXIT_OK;
    }
    if (parser.isSet(version)) {
        std::printf("pellwick %s\n", PELLWICK_VERSION);
        return CPellwickApp::EXIT_OK;
    }
    return std::nullopt;
}

} // namespace StartOptions
