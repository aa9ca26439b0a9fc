// The program's windows with made-up content for tests/screenshots/take.sh, one per mode (see
// main); "dark" as a second argument gives a dark palette. Settings live in a throwaway file.
#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "chat/CMessageListPrefsDialog.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/CMessageAppearanceDialog.h"
#include "messages/CSendMessageDialog.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"
#include "ui/CAboutDialog.h"
#include "ui/CHoverBitmapButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

namespace {

int Kit(QApplication& app)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pellwick kit"));
    auto* grid = new QGridLayout(&window);
    struct Strip {
        const char* name;
        int image, mask, w, h;
    };
    const Strip strips[] = {
        {"Preferences", 138, 139, 31, 31}, {"Clear", 141, 142, 30, 30},  {"Send", 154, 152, 31, 24},
        {"Close", 158, 159, 33, 33},       {"Font", 186, 187, 15, 15},   {"Colour", 188, 189, 15, 15},
        {"Pin off", 191, 192, 15, 15},     {"Pin on", 195, 193, 15, 15},
    };
    grid->addWidget(new QLabel(QStringLiteral("normal / pressed / hovered")), 0, 0, 1, 4);
    for (int row = 1; const Strip& strip : strips) {
        grid->addWidget(new QLabel(QString::fromUtf8(strip.name)), row, 0);
        for (int state = 0; state < 3; ++state) {
            auto* button = new CHoverBitmapButton(strip.image, strip.mask, QSize(strip.w, strip.h));
            button->setFocusPolicy(Qt::NoFocus);
            button->setDown(state == CHoverBitmapButton::kPressed);
            button->SetHover(state == CHoverBitmapButton::kHovered);
            grid->addWidget(button, row, 1 + state);
        }
        ++row;
    }
    window.show();
    return app.exec();
}

int Chat(QApplication& app, CRegistry& registry, const QByteArray& mode)
{
    CChatDialog chat(registry, [](int) {});
    const std::pair<const char16_t*, const char16_t*> conversation[] = {
        {u"Маша", u"Привет всем!"},
        {u"bob", u"Hi Masha. Is the build green again?"},
        {u"Маша", u"Почти: остался один тест, он падает только под ThreadSanitizer, и то не каждый раз."},
        {u"administrator", u"50% of the disks are full, please clean up %USERPROFILE%\\Downloads <b>today</b>."},
        {u"Пётр Иванович", u"Коллеги, совещание переносится на 15:30. Meeting moved to 15:30, third floor."},
        {u"bob", u"A long line without spaces: https://example.invalid/a/very/long/path/that/keeps/going/and/going"},
    };
    for (const auto& [sender, text] : conversation)
        chat.AddLine(QString::fromUtf16(sender), QString::fromUtf16(text));
    chat.ShowInFront();
    chat.Input()->insert(mode == "chat-notice" ? QString(300, QChar(u'ж')) : QStringLiteral("Сейчас приду"));
    if (mode == "chat-prefs")
        (new CMessageListPrefsDialog(registry, std::make_unique<PreferencesChat>(), &chat))->open();
    return app.exec();
}

int Incoming(QApplication& app, CRegistry& registry)
{
    CIncomingMessagesDialog incoming(registry);
    incoming.ShowInFront();
    QList<std::pair<QString, QString>> messages{
        {QStringLiteral("anna"), QStringLiteral("The build is green again, thanks for the fix.")},
        {QString::fromUtf8("Борис"), QString::fromUtf8("Обед в 13:00?\nВстречаемся у лифта.")},
        {QStringLiteral("vera"), QStringLiteral("Printer on the 3rd floor is out of paper (100% sure).")},
    };
    for (const auto& [sender, text] : messages)
        incoming.AddMessage(sender, text);
    // Paged to the newest message, as the user would.
    QTimer::singleShot(300, &incoming, [&incoming] { incoming.List()->SetCurSel(incoming.GetCount() - 1); });
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[2]) == "dark")
        QApplication::setPalette(QPalette(QColor(0x35, 0x35, 0x35))); // light text derived from it
    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("kit");
    if (mode == "about")
        return CAboutDialog().exec() == QDialog::Accepted ? 0 : 1;
    if (mode.startsWith("chat"))
        return Chat(app, registry, mode);
    if (mode.startsWith("incoming"))
        return Incoming(app, registry);
    if (mode.startsWith("send")) {
        CSendMessageDialog send(registry, QStringLiteral("Борис"));
        const QString text = QStringLiteral("Привет! Совещание переносится на 15:00.\nЗахвати, пожалуйста, отчёт.");
        send.Edit()->setPlainText(text);
        send.Edit()->moveCursor(QTextCursor::End);
        if (mode == "send-prefs")
            QTimer::singleShot(300, &send,
                               [&send, &registry] { (new CMessageAppearanceDialog(registry, &send))->open(); });
        return send.exec() == CSendMessageDialog::IDOK ? 0 : 1;
    }
    return Kit(app);
}
