// Shows the Incoming Messages window with three messages, or (with the argument "send") the
// Send Message window with a text typed, or (with "too-long") with a text cut to what a
// message holds, for tests/screenshots/take.sh. "long", "lines" and "sender" show Incoming
// Messages on a 259-character message, a 10-line message and a 49-character sender; "font"
// the font picker of the message appearance dialog opened on a stored DejaVu Serif.
#include "chat/CChatListBox.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/CMessageAppearanceDialog.h"
#include "messages/CSendMessageDialog.h"
#include "net/PacketEvent.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"
#include "prefs/PreferencesSendMessage.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));

    if (argc > 1 && (QByteArray(argv[1]) == "send" || QByteArray(argv[1]) == "too-long")) {
        CSendMessageDialog send(registry, QStringLiteral("Борис"));
        const QString text = QStringLiteral("Привет! Совещание переносится на 15:00.\nЗахвати, пожалуйста, отчёт.");
        send.Edit()->setPlainText(QByteArray(argv[1]) == "send" ? text : text.repeated(5));
        send.Edit()->moveCursor(QTextCursor::End);
        return send.exec() == CSendMessageDialog::IDOK ? 0 : 1;
    }

    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "font") {
        PreferencesSendMessage stored;
        stored.m_fontText = FontRecord{.height = -15, .face = QStringLiteral("DejaVu Serif")};
        SavePreferences(registry, stored);
        CMessageAppearanceDialog appearance(registry);
        appearance.show();
        appearance.findChild<QPushButton*>(QStringLiteral("1012"))->click();
        return app.exec();
    }

    std::atomic<bool> active{false};
    CIncomingMessagesDialog incoming(registry, active);
    incoming.ShowInFront();
    const QString words = QStringLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod ");
    QList<std::pair<QString, QString>> messages{
        {QStringLiteral("anna"), QStringLiteral("The build is green again, thanks for the fix.")},
        {QString::fromUtf8("Борис"), QString::fromUtf8("Обед в 13:00?\nВстречаемся у лифта.")},
        {QStringLiteral("vera"), QStringLiteral("Printer on the 3rd floor is out of paper (100% sure).")},
    };
    if (mode == "long")
        messages << std::pair{QStringLiteral("pwa1"), words.repeated(4).left(255) + QStringLiteral("END.")};
    if (mode == "lines")
        messages << std::pair{QStringLiteral("pwa1"),
                              QStringLiteral("line 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\nline 7\r\n"
                                             "line 8\r\nline 9\r\nline 10, the last")};
    if (mode == "sender")
        messages << std::pair{QStringLiteral("a-very-long-sender-name-of-forty-nine-characters!"),
                              QStringLiteral("The text keeps its room, and the time shows.")};
    for (const auto& [sender, text] : messages)
        QCoreApplication::postEvent(&incoming,
                                    new PacketEvent(MessagePacket::Make(PACKET_MESSAGE, text, sender, u"me")));
    // Paged to the newest message, as the user would.
    QTimer::singleShot(300, &incoming, [&incoming] { incoming.List()->SetCurSel(incoming.GetCount() - 1); });
    return app.exec();
}
