// The session alone, with no window and no display: a headless front end driven through
// standard input, reporting in the test host's words. Commands: show-chat, hide-chat,
// say TEXT, send NAME TEXT, quit (also at the end of input). Reports: list (NAME=STATE ...,
// 0 online, 2 in the chat room), line (SENDER%TEXT), message (SENDER%TEXT), result (of a send).
#include "platform/AlertSink.h"
#include "platform/OwnUserName.h"
#include "session/MessengerSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cstdio>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void Report(const char* kind, const QString& text)
{
    std::printf("%s %s\n", kind, text.toUtf8().constData());
    std::fflush(stdout);
}

class ReportedAlerts : public AlertSink {
public:
    void ShowAlert(const QString& text) override { Report("box", text); }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // A name of its own (argument 1) instead of the login's.
    std::optional<OwnUserNameOverride> name;
    if (argc > 1)
        name.emplace(QString::fromUtf8(argv[1]));
    ReportedAlerts alerts;
    MessengerSession session(alerts);
    if (!session.IsOpen() || !session.Start())
        return 10;

    const auto reportList = [&session] {
        QStringList items;
        for (const OnlineUser& user : session.Roster().Users())
            items << user.name + u'=' + QString::number((user.inChat ? 2 : 0) | (user.onTwoComputers ? 4 : 0));
        Report("list", items.join(u' '));
    };
    QObject::connect(&session, &MessengerSession::UserListed, reportList);
    QObject::connect(&session, &MessengerSession::UsersDropped, reportList);
    QObject::connect(&session, &MessengerSession::UserChatChanged, reportList);
    QObject::connect(&session, &MessengerSession::UserOnTwoComputersChanged, reportList);
    QObject::connect(&session, &MessengerSession::ChatLineReceived,
                     [](const QString& sender, const QString& text) { Report("line", sender + u'%' + text); });
    QObject::connect(&session, &MessengerSession::MessageReceived,
                     [](const QString& sender, const QString& text) { Report("message", sender + u'%' + text); });

    QFile input;
    input.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered);
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        QString line = QString::fromUtf8(input.readLine());
        if (line.isEmpty() || line == u"quit\n") {
            notifier.setEnabled(false);
            return QCoreApplication::quit();
        }
        line.chop(1);
        const QString verb = line.section(u' ', 0, 0);
        if (verb == u"show-chat" || verb == u"hide-chat")
            session.SetInChatRoom(verb == u"show-chat");
        else if (verb == u"say")
            Report("result", session.SendChatLine(line.section(u' ', 1)) ? u"sent"_s : u"failed"_s);
        else if (verb == u"send")
            Report("result", QString::number(static_cast<int>(
                                 session.SendMessage(line.section(u' ', 1, 1), line.section(u' ', 2)))));
    });
    return QCoreApplication::exec();
}
