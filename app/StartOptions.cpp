#include "app/StartOptions.h"

#include "app/CPellwickApp.h"
#include "relay/RunRelay.h"
#include "relay/RelayConfig.h"

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
    const QCommandLineOption relay(QStringLiteral("relay"),
                                   QStringLiteral("Run headless as the site relay between this network and an MQTT broker."));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("The relay's settings file (default %1).")
                                        .arg(QLatin1String(RelayConfig::kDefaultPath)),
                                    QStringLiteral("file"), QLatin1String(RelayConfig::kDefaultPath));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(relay);
    parser.addOption(config);

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
    if (parser.isSet(config) && !parser.isSet(relay)) {
        std::fputs("pellwick: --config goes with --relay (see pellwick --help)\n", stderr);
        return CPellwickApp::EXIT_USAGE;
    }
    if (parser.isSet(relay))
        return RunRelay(argc, argv, parser.value(config));
    return std::nullopt;
}

} // namespace StartOptions
