// A real copy of the program for the system tests and screenshot scripts, driven through
// standard input as a user drives its windows. Commands (TEXT typed key by key, "\n" a line
// break): show-chat, hide-chat, say TEXT, send NAME TEXT (a double click in the Online list),
// reply TEXT, quit (also at the end of input). Reports "KIND TEXT": list (NAME=STATE ..., 0
// online, 2 in the chat room), line (Chat Room), message (Incoming Messages, line breaks as \r
// \n), tray (the stand-in's tool tip), box (answered with OK), shown (the Online window came up),
// error (a failed command).
// --no-lock skips the one-copy lock, so that a second copy meets the transport's refusal;
// --user-name NAME stands in for the login name (one a login cannot have, such as "50%off").
#include "app/CPellwickApp.h"
#include "app/TrayStandIn.h"
#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/CSendMessageDialog.h"
#include "online/COnlineDialog.h"
#include "online/CUserListBox.h"
#include "platform/NamedEndpoint.h"
#include "platform/OwnUserName.h"
#include "support/TypeText.h"
#include "ui/DialogBuilder.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void Report(const char* kind, const QString& text)
{
    std::printf("%s %s\n", kind, text.toUtf8().constData());
    std::fflush(stdout);
}

template <typename Window> Window* FindWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<Window*>(widget))
            return window;
    return nullptr;
}

class Host : public QObject {
public:
    explicit Host(CPellwickApp& app)
        : m_app(app)
    {
        // Message boxes may come during start-up already, before the windows are found.
        qApp->installEventFilter(this);
    }

    void Attach()
    {
        m_pOnline = FindWindow<COnlineDialog>();
        // Without its transport the program only waits for its message boxes, then ends.
        if (!m_pOnline)
            return;
        m_pChat = FindWindow<CChatDialog>();
        m_pIncoming = FindWindow<CIncomingMessagesDialog>();
        CUserListBox* users = m_pOnline->UserList();
        const auto reportList = [users] {
            QStringList items;
            for (int i = 0; i < users->GetCount(); ++i)
                items << users->GetText(i) + u'=' + QString::number(users->GetItemData(i));
            Report("list", items.join(u' '));
        };
        connect(users->model(), &QAbstractItemModel::rowsInserted, this, reportList);
        connect(users->model(), &QAbstractItemModel::rowsRemoved, this, reportList);
        connect(users->model(), &QAbstractItemModel::dataChanged, this, reportList);
        ReportLines("line", m_pChat->ChatList());
        ReportLines("message", m_pIncoming->List());
        m_stdin.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered);
        auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(input, &QSocketNotifier::activated, this, [this, input] { ReadCommand(input); });
        reportList();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The receiver first: events posted by other threads pass here unread (TSan).
        if (auto* box = qobject_cast<QMessageBox*>(watched)) {
            if (event->type() == QEvent::Show) {
                Report("box", box->text());
                QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
            }
        } else if (watched == m_pOnline && event->type() == QEvent::Show) {
            Report("shown", u"online"_s);
        } else if (auto* standIn = dynamic_cast<TrayStandIn*>(watched)) {
            if (event->type() == QEvent::ToolTipChange && standIn->toolTip() != m_strTrayTip)
                Report("tray", m_strTrayTip = standIn->toolTip());
        }
        return false;
    }

private:
    // Reports every line added to a conversation list.
    void ReportLines(const char* kind, CChatListBox* lines)
    {
        connect(lines->model(), &QAbstractItemModel::rowsInserted, this,
                [kind, lines](const QModelIndex&, int first, int last) {
                    for (int row = first; row <= last; ++row) {
                        const QString line = lines->Title(row) + u'%' + lines->GetText(row);
                        Report(kind, QString(line).replace(u'\r', u"\\r"_s).replace(u'\n', u"\\n"_s));
                    }
                });
    }

    void ReadCommand(QSocketNotifier* input)
    {
        QString line = QString::fromUtf8(m_stdin.readLine()); // the test writes whole lines
        if (line.isEmpty()) {
            input->setEnabled(false);
            return m_app.OnTrayCommand(ID_SHUTDOWN);
        }
        line.chop(1);
        const QString verb = line.section(u' ', 0, 0);
        const QString text = line.section(u' ', 1).replace(u"\\n"_s, u"\n"_s);
        if (verb == u"show-chat" || verb == u"quit") {
            m_app.OnTrayCommand(verb == u"quit" ? ID_SHUTDOWN : ID_SHOW_CHAT);
        } else if (verb == u"hide-chat") {
            QTest::mouseClick(DialogBuilder::Control<QPushButton>(m_pChat, 2), Qt::LeftButton);
        } else if (verb == u"say") {
            m_pChat->Input()->selectAll(); // a line that did not go out stays: the first key replaces it
            TypeText(m_pChat->Input(), text + u'\n');
        } else if (verb == u"send" && DoubleClick(text.section(u' ', 0, 0))) {
            WriteAndSend(text.section(u' ', 1));
        } else if (verb == u"reply") {
            m_pIncoming->ShowInFront();
            QTest::mouseClick(m_pIncoming->findChild<QPushButton*>(u"1012"_s), Qt::LeftButton);
            WriteAndSend(text);
        } else if (verb != u"send") {
            Report("error", u"unknown command "_s + verb);
        }
    }

    // Double-clicks a name in the Online list as a mouse does: click, double click, release.
    bool DoubleClick(const QString& name)
    {
        m_pOnline->ShowPlaced();
        CUserListBox* users = m_pOnline->UserList();
        const QList<QListWidgetItem*> found = users->findItems(name, Qt::MatchExactly);
        if (!QTest::qWaitForWindowExposed(m_pOnline) || found.isEmpty()) {
            Report("error", u"cannot double-click "_s + name);
            return false;
        }
        users->scrollToItem(found.first());
        const QPoint centre = users->visualItemRect(found.first()).center();
        QTest::mouseClick(users->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(users->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseRelease(users->viewport(), Qt::LeftButton, {}, centre);
        return true;
    }

    static void WriteAndSend(const QString& text)
    {
        CSendMessageDialog* dialog = CSendMessageDialog::FirstInstance();
        if (!dialog)
            return Report("error", u"no Send Message window"_s);
        TypeText(dialog->Edit(), text, Qt::ShiftModifier); // Return alone sends
        QTest::mouseClick(dialog->findChild<QPushButton*>(QString::number(CSendMessageDialog::IDOK)), Qt::LeftButton);
    }

    CPellwickApp& m_app;
    COnlineDialog* m_pOnline = nullptr;
    CChatDialog* m_pChat = nullptr;
    CIncomingMessagesDialog* m_pIncoming = nullptr;
    QString m_strTrayTip;
    QFile m_stdin;
};

} // namespace

int main(int argc, char** argv)
{
    bool lock = true;
    std::unique_ptr<OwnUserNameOverride> userName;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-lock") == 0)
            lock = false;
        else if (std::strcmp(argv[i], "--user-name") == 0 && i + 1 < argc)
            userName = std::make_unique<OwnUserNameOverride>(QString::fromUtf8(argv[++i]));
    }
    NamedEndpoint instanceLock;
    if (lock && !instanceLock.Claim(kInstanceLockName))
        return CPellwickApp::EXIT_ALREADY_RUNNING;

    QApplication application(argc, argv);
    CPellwickApp pellwick;
    auto host = std::make_unique<Host>(pellwick);
    // It watches the windows: it goes before they do.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&] { host.reset(); });
    // The first turn of the event loop comes after start-up: the windows exist then.
    QTimer::singleShot(0, host.get(), [&] { host->Attach(); });
    return pellwick.Run();
}
