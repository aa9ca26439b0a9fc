// The real program with a test's hands and eyes, for the multi-host chat tests. It runs the
// application object as main.cpp does and takes commands on stdin, carried out on the real
// windows as a user would:
//   show-chat      the tray menu's "Chat..."
//   say <text>     types the text into the Chat Room's input line and presses Enter
//   hide-chat      clicks the Chat Room's Close button
//   quit           the tray menu's "Shutdown"
// It prints, each with the monotonic clock in microseconds (the same clock in every network
// namespace):
//   ready <t>                   the windows exist and commands are taken
//   enter <t> <text>            just before Enter is pressed for a line
//   line <t> <item>             a line added to the Chat Room's list
//   list <t> <name>=<state>...  the Online list after each change (0 online, 2 in chat)
#include "app/CPellwickApp.h"
#include "app/TrayCommands.h"
#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "online/COnlineDialog.h"
#include "online/CUserListBox.h"
#include "platform/NamedEndpoint.h"
#include "support/StdinCommands.h"
#include "ui/DialogBuilder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

long long Now()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Print(const char* what, const QString& rest = {})
{
    std::printf("%s %lld%s%s\n", what, Now(), rest.isEmpty() ? "" : " ", rest.toUtf8().constData());
    std::fflush(stdout);
}

template <typename Window> Window* FindWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<Window*>(widget))
            return window;
    return nullptr;
}

void PrintList(const CUserListBox* list)
{
    QStringList items;
    for (int i = 0; i < list->GetCount(); ++i)
        items << list->GetText(i) + QLatin1Char('=') + QString::number(list->GetItemData(i));
    Print("list", items.join(QLatin1Char(' ')));
}

class Driver : public QObject {
public:
    Driver(CPellwickApp& app, CChatDialog& chat, COnlineDialog& online)
        : m_app(app)
        , m_chat(chat)
        , m_input([this](const QString& command) { Carry(command); }, [this] { m_app.OnTrayCommand(ID_SHUTDOWN); })
    {
        CChatListBox* lines = chat.ChatList();
        connect(lines->model(), &QAbstractItemModel::rowsInserted, this,
                [lines](const QModelIndex&, int first, int last) {
                    for (int i = first; i <= last; ++i)
                        Print("line", lines->GetText(i));
                });
        CUserListBox* users = online.UserList();
        const auto printList = [users] { PrintList(users); };
        connect(users->model(), &QAbstractItemModel::rowsInserted, this, printList);
        connect(users->model(), &QAbstractItemModel::rowsRemoved, this, printList);
        connect(users->model(), &QAbstractItemModel::dataChanged, this, printList);
        Print("ready");
    }

private:
    void Carry(const QString& command)
    {
        if (command == QStringLiteral("show-chat")) {
            m_app.OnTrayCommand(ID_SHOW_CHAT);
        } else if (command == QStringLiteral("hide-chat")) {
            QTest::mouseClick(DialogBuilder::Control<QPushButton>(&m_chat, 2), Qt::LeftButton);
        } else if (command.startsWith(QStringLiteral("say "))) {
            QLineEdit* input = m_chat.Input();
            // After a send the line is wholly selected: the first key replaces it.
            input->selectAll();
            for (QChar c : command.mid(4))
                QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, QString(c), Qt::NoModifier);
            Print("enter", input->text());
            QTest::keyClick(input, Qt::Key_Return);
        } else if (command == QStringLiteral("quit")) {
            m_app.OnTrayCommand(ID_SHUTDOWN);
        }
    }

    CPellwickApp& m_app;
    CChatDialog& m_chat;
    StdinCommands m_input;
};

} // namespace

int main(int argc, char** argv)
{
    NamedEndpoint instanceLock;
    if (!instanceLock.Claim(kInstanceLockName))
        return CPellwickApp::EXIT_ALREADY_RUNNING;

    QApplication application(argc, argv);
    CPellwickApp pellwick;
    std::unique_ptr<Driver> driver;
    // It watches the windows' lists: it goes before they do.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] { driver.reset(); });
    // The first turn of the event loop comes after start-up: the windows exist then.
    QTimer::singleShot(0, &pellwick, [&] {
        auto* chat = FindWindow<CChatDialog>();
        auto* online = FindWindow<COnlineDialog>();
        if (!chat || !online) {
            std::printf("no windows\n");
            QCoreApplication::exit(3);
            return;
        }
        driver = std::make_unique<Driver>(pellwick, *chat, *online);
    });
    return pellwick.Run();
}
