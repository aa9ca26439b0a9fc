// The Chat Room with a conversation of Cyrillic and Latin lines of several lengths, for
// tests/screenshots/take.sh. The appearance comes from a throwaway registry file, so the
// shot shows the defaults; "prefs" shows the list appearance dialog over it as well, "notice"
// the over-length notice after a paste of 300 characters.
#include "chat/CChatDialog.h"
#include "chat/CMessageListPrefsDialog.h"
#include "net/PacketEvent.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    CChatDialog chat(registry, [](int) {});

    const std::pair<const char16_t*, const char16_t*> conversation[] = {
        {u"Маша", u"Привет всем!"},
        {u"bob", u"Hi Masha. Is the build green again?"},
        {u"Маша",
         u"Почти: остался один тест, он падает только под ThreadSanitizer, и то не каждый раз. "
         u"Посмотрю после обеда."},
        {u"administrator", u"50% of the disks are full, please clean up %USERPROFILE%\\Downloads <b>today</b>."},
        {u"bob", u"ok"},
        {u"Пётр Иванович",
         u"Коллеги, совещание переносится на 15:30 в переговорную на третьем этаже. "
         u"Meeting moved to 15:30, third floor."},
        {u"Маша", u"Понятно 👍"},
        {u"bob", u"A long line without spaces: https://example.invalid/a/very/long/path/that/keeps/going/and/going"},
    };
    for (const auto& [sender, text] : conversation)
        QCoreApplication::postEvent(&chat, new PacketEvent(MessagePacket::Make(PACKET_CHAT, text, sender)));
    chat.ShowInFront();
    chat.Input()->setText(QStringLiteral("Сейчас приду"));
    if (argc > 1 && QByteArray(argv[1]) == "notice") {
        // 300 characters pasted: 259 stay, and the notice says why.
        chat.Input()->clear();
        chat.Input()->insert(QString(300, QChar(u'ж')));
    }
    if (argc > 1 && QByteArray(argv[1]) == "prefs") {
        auto* prefs = new CMessageListPrefsDialog(registry, std::make_unique<PreferencesChat>(), &chat);
        prefs->open();
    }
    return app.exec();
}
