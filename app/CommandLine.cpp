#include "app/CommandLine.h"

#include "app/CPellwickApp.h"
#include "app/SessionBusService.h"
#include "app/SessionEndpoints.h"
#include "platform/AlertSink.h"
#include "prefs/CRegistry.h"
#include "session/MessengerSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

using Exit = CPellwickApp::ExitCode;

int Fail(int code, const QString& text)
{
    std::fprintf(stderr, "pellwick: %s\n", qPrintable(text));
    return code;
}

// The transport's complaints, said on standard error instead of in a box.
class ErrorOutput : public AlertSink {
public:
    void ShowAlert(const QString& text) override { Fail(0, text); }
};

// A refusal, said on standard error, as this command's exit code.
int Refused(const QString& error, const QString& text)
{
    const int code = error == u"UnknownUser" || error == u"NameTooLong" ? Exit::EXIT_NO_USER
        : error == u"TextTooLong" || error == u"InvalidText"            ? Exit::EXIT_DATA
                                                                        : Exit::EXIT_UNAVAILABLE;
    return Fail(code, text);
}

int Refused(MessengerSession::SendResult result, const QString& user = {})
{
    if (result == MessengerSession::SendResult::Sent)
        return Exit::EXIT_OK;
    const SessionBusService::Refusal refusal = SessionBusService::RefusalFor(result, user);
    return Refused(refusal.error, refusal.text);
}

// What the running copy's service said, as this command's exit code.
int FromBus(const QDBusError& error)
{
    if (!error.isValid())
        return Exit::EXIT_OK;
    return Refused(error.name().mid(static_cast<qsizetype>(std::strlen(SessionBusService::kErrorPrefix))),
                   error.message());
}

// The running copy of this user, if there is one.
std::unique_ptr<QDBusInterface> RunningCopy()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(QString::fromLatin1(SessionBusService::kService)))
        return nullptr;
    return std::make_unique<QDBusInterface>(QString::fromLatin1(SessionBusService::kService),
                                            QString::fromLatin1(SessionBusService::kPath),
                                            QString::fromLatin1(SessionBusService::kInterface), bus);
}

// Runs the event loop until the condition holds or the time is up.
template <typename Condition> bool Await(Condition condition, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return condition();
}

class Command {
public:
    Command(const QString& verb, const QStringList& arguments)
        : m_verb(verb)
    {
        m_parser.addHelpOption();
        if (verb == u"send") {
            m_parser.setApplicationDescription(QStringLiteral("Sends a private message to USER, or with --all to "
                                                              "everybody. The text is read from standard input "
                                                              "when none is given."));
            m_parser.addPositionalArgument(QStringLiteral("USER"), QStringLiteral("The addressee (not with --all)."));
            m_parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The message."),
                                           QStringLiteral("[TEXT...]"));
            m_parser.addOption(m_all);
        } else if (verb == u"chat") {
            m_parser.setApplicationDescription(QStringLiteral("Says one line in the Chat Room."));
            m_parser.addPositionalArgument(QStringLiteral("TEXT"), QStringLiteral("The line."),
                                           QStringLiteral("[TEXT...]"));
        } else {
            m_parser.setApplicationDescription(QStringLiteral("Lists the users online: name, a tab, then "
                                                              "\"chat\" or \"online\", one per line."));
        }
        if (verb != u"chat")
            m_parser.addOption(m_wait);
        m_bParsed = m_parser.parse(arguments);
    }

    int Run()
    {
        if (!m_bParsed)
            return Fail(Exit::EXIT_USAGE,
                        m_parser.errorText() + QStringLiteral(" (see pellwick %1 --help)").arg(m_verb));
        if (m_parser.isSet(QStringLiteral("help"))) {
            const QString usage = m_parser.helpText().replace(QCoreApplication::arguments().constFirst(),
                                                              QStringLiteral("pellwick ") + m_verb);
            std::fputs(qPrintable(usage), stdout);
            return Exit::EXIT_OK;
        }
        if (m_verb != u"chat") {
            bool ok = true;
            m_nWaitMs = static_cast<int>(m_parser.value(m_wait).toDouble(&ok) * 1000);
            if (!ok || m_nWaitMs < 0)
                return Fail(Exit::EXIT_USAGE, QStringLiteral("--wait takes a number of seconds"));
        }
        if (m_verb == u"users")
            return m_parser.positionalArguments().isEmpty()
                ? Users()
                : Fail(Exit::EXIT_USAGE, QStringLiteral("users takes no arguments"));
        QStringList words = m_parser.positionalArguments();
        QString user = QStringLiteral("All");
        if (m_verb == u"send" && !m_parser.isSet(m_all)) {
            if (words.isEmpty())
                return Fail(Exit::EXIT_USAGE, QStringLiteral("send needs a USER or --all (see pellwick send --help)"));
            user = words.takeFirst();
        }
        QString text = words.join(u' ');
        if (words.isEmpty()) {
            QFile input;
            input.open(stdin, QIODevice::ReadOnly);
            text = QString::fromLocal8Bit(input.readAll());
            if (text.endsWith(u'\n'))
                text.chop(1);
        }
        return m_verb == u"chat" ? Chat(text) : Send(user, text);
    }

private:
    int Send(const QString& user, const QString& text)
    {
        if (auto copy = RunningCopy())
            return FromBus(QDBusError(copy->call(QStringLiteral("SendMessage"), user, text)));
        if (const auto refused = MessengerSession::CheckMessageText(text); refused != MessengerSession::SendResult::Sent)
            return Refused(refused);
        MessengerSession* session = Open();
        if (!session)
            return Exit::EXIT_TRY_LATER;
        // The addressee must be heard first, as in the Online list.
        if (user != u"All" && (!session->Start(false) || !Await([&] { return session->IsListed(user); }, m_nWaitMs)))
            return Refused(MessengerSession::SendResult::NotListed, user);
        return Refused(session->SendMessage(user, text), user);
    }

    int Chat(const QString& text)
    {
        if (auto copy = RunningCopy())
            return FromBus(QDBusError(copy->call(QStringLiteral("SendChatLine"), text)));
        if (const auto refused = MessengerSession::CheckChatLine(text); refused != MessengerSession::SendResult::Sent)
            return Refused(refused);
        MessengerSession* session = Open();
        if (!session)
            return Exit::EXIT_TRY_LATER;
        return session->SendChatLine(text) ? Exit::EXIT_OK : Exit::EXIT_UNAVAILABLE;
    }

    int Users()
    {
        SessionBusService::UserStates users;
        if (auto copy = RunningCopy()) {
            qDBusRegisterMetaType<SessionBusService::UserStates>();
            const QDBusReply<SessionBusService::UserStates> reply = copy->call(QStringLiteral("ListUsers"));
            if (!reply.isValid())
                return FromBus(reply.error());
            users = reply.value();
        } else {
            MessengerSession* session = Open();
            if (!session || !session->Start(false))
                return Exit::EXIT_TRY_LATER;
            Await([] { return false; }, m_nWaitMs);
            for (const OnlineUser& user : session->Roster().Users())
                users.insert(user.name, user.inChat);
        }
        for (auto it = users.cbegin(); it != users.cend(); ++it)
            std::printf("%s\t%s\n", it.key().toUtf8().constData(), it.value() ? "chat" : "online");
        return Exit::EXIT_OK;
    }

    // This user's session, opened here: null (said why) when another copy holds the machine's port.
    MessengerSession* Open()
    {
        CRegistry registry;
        m_pSession = std::make_unique<MessengerSession>(m_errors, SessionEndpoints(registry));
        if (m_pSession->IsOpen())
            return m_pSession.get();
        Fail(0,
             QStringLiteral("another copy holds this machine's port and does not answer on this user's session bus"));
        return nullptr;
    }

    const QString m_verb;
    QCommandLineParser m_parser;
    const QCommandLineOption m_all{QStringLiteral("all"), QStringLiteral("Send to everybody.")};
    const QCommandLineOption m_wait{QStringLiteral("wait"),
                                    QStringLiteral("How long to listen for users, in seconds (2.5)."),
                                    QStringLiteral("SECONDS"), QStringLiteral("2.5")};
    bool m_bParsed = false;
    int m_nWaitMs = 2500;
    ErrorOutput m_errors;
    std::unique_ptr<MessengerSession> m_pSession;
};

} // namespace

namespace CommandLine {

std::optional<int> Run(int argc, char** argv)
{
    if (argc < 2)
        return std::nullopt;
    const QString verb = QString::fromLocal8Bit(argv[1]);
    if (verb != u"send" && verb != u"chat" && verb != u"users")
        return std::nullopt;
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeAt(1); // the parser reads options after the program's name
    return Command(verb, arguments).Run();
}

int ShowRunningCopy(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusMessage activate = QDBusMessage::createMethodCall(
        QString::fromLatin1(SessionBusService::kService), QString::fromLatin1(SessionBusService::kPath),
        QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    if (bus.isConnected() && bus.call(QDBusMessage(activate) << QVariantMap()).type() == QDBusMessage::ReplyMessage)
        Fail(0, QStringLiteral("already running: its Online window is shown"));
    else
        Fail(0, QStringLiteral("a copy already runs on this machine (another user's, or out of this session's reach)"));
    return Exit::EXIT_ALREADY_RUNNING;
}

} // namespace CommandLine
