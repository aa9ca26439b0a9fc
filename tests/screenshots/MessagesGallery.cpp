// Shows the Incoming Messages window with three messages, or (with the argument "send") the
// Send Message window with a text typed, or (with "too-long") with a text cut to what a
// message holds, for tests/screenshots/take.sh.
#include "messages/CIncomingMessagesDialog.h"
#include "messages/CSendMessageDialog.h"
#include "net/PacketEvent.h"
#include "prefs/CRegistry.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

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

    std::atomic<bool> active{false};
    CIncomingMessagesDialog incoming(registry, active);
    incoming.ShowInFront();
    const struct {
        const char16_t* sender;
        const char16_t* text;
    } messages[] = {
        {u"anna", u"The build is green again, thanks for the fix."},
        {u"Борис", u"Обед в 13:00?\nВстречаемся у лифта."},
        {u"vera", u"Printer on the 3rd floor is out of paper (100% sure)."},
    };
    for (const auto& message : messages)
        QCoreApplication::postEvent(
            &incoming, new PacketEvent(MessagePacket::Make(PACKET_MESSAGE, message.text, message.sender, u"me")));
    return app.exec();
}
