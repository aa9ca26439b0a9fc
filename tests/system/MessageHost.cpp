// A real copy of the program, driven through its standard input by the system tests, which
// run it in network namespaces and read what it reports on its standard output. Commands:
//   send NAME TEXT   double-click NAME in the Online list, type TEXT, press Send
//   reply TEXT       press Reply in Incoming Messages, type TEXT into the window it opens, Send
// TEXT is typed key by key; "\n" in it is a line break. Reports, one per line, where MS is
// the wall clock in milliseconds (shared by all hosts of one machine):
//   listed NAME      NAME joined the Online list
//   sent MS NAME     Send was pressed in the window for NAME
//   line MS LINE     a line was added to Incoming Messages (line breaks shown as \r and \n)
//   flash MS         the tray icon began an incoming-message flash
//   error WHAT
#include "app/CPellwickApp.h"
#include "app/TrayStandIn.h"
#include "chat/CChatListBox.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/CSendMessageDialog.h"
#include "online/COnlineDialog.h"
#include "online/CUserListBox.h"
#include "platform/NamedEndpoint.h"
#include "support/StdinCommands.h"
#include "support/TypeText.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

template <typename T> T* FindWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<T*>(widget))
            return window;
    return nullptr;
}

void Report(const QString& what)
{
    std::fputs((what + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString Now()
{
    return QString::number(QDateTime::currentMSecsSinceEpoch());
}

class HostDriver : public QObject {
public:
    void Attach()
    {
        m_pOnline = FindWindow<COnlineDialog>();
        m_pIncoming = FindWindow<CIncomingMessagesDialog>();
        if (!m_pOnline || !m_pIncoming) {
            Report(QStringLiteral("error the windows are missing"));
            return;
        }
        CUserListBox* users = m_pOnline->UserList();
        connect(users->model(), &QAbstractItemModel::rowsInserted, this,
                [users](const QModelIndex&, int first, int last) {
                    for (int row = first; row <= last; ++row)
                        Report(QStringLiteral("listed ") + users->GetText(row));
                });
        CChatListBox* lines = m_pIncoming->List();
        connect(lines->model(), &QAbstractItemModel::rowsInserted, this,
                [lines](const QModelIndex&, int first, int last) {
                    for (int row = first; row <= last; ++row) {
                        QString line = lines->GetText(row);
                        line.replace(QLatin1Char('\r'), QStringLiteral("\\r"))
                            .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
                        Report(QStringLiteral("line ") + Now() + QLatin1Char(' ') + line);
                    }
                });
        if (auto* standIn = FindWindow<TrayStandIn>())
            standIn->installEventFilter(this);
        new StdinCommands([this](const QString& command) { Carry(command); }, [] { QCoreApplication::exit(0); }, this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ToolTipChange) {
            const bool flashing = static_cast<QWidget*>(watched)->toolTip() == QStringLiteral("Incoming Message");
            if (flashing && !m_bFlashing)
                Report(QStringLiteral("flash ") + Now());
            m_bFlashing = flashing;
        }
        return false;
    }

private:
    void Carry(const QString& command)
    {
        const QString verb = command.section(QLatin1Char(' '), 0, 0);
        if (verb == QStringLiteral("send"))
            SendTo(command.section(QLatin1Char(' '), 1, 1), Text(command.section(QLatin1Char(' '), 2)));
        else if (verb == QStringLiteral("reply"))
            Reply(Text(command.section(QLatin1Char(' '), 1)));
        else
            Report(QStringLiteral("error unknown command ") + verb);
    }

    static QString Text(QString escaped) { return escaped.replace(QStringLiteral("\\n"), QStringLiteral("\n")); }

    void SendTo(const QString& name, const QString& text)
    {
        m_pOnline->ShowPlaced();
        if (!QTest::qWaitForWindowExposed(m_pOnline))
            Report(QStringLiteral("error the Online window is not shown"));
        CUserListBox* users = m_pOnline->UserList();
        for (int row = 0; row < users->GetCount(); ++row) {
            if (users->GetText(row) != name)
                continue;
            users->scrollToItem(users->item(row));
            // A double click as the mouse makes it: press, release, double click, release.
            const QPoint centre = users->visualItemRect(users->item(row)).center();
            QTest::mouseClick(users->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(users->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseRelease(users->viewport(), Qt::LeftButton, {}, centre);
            WriteAndSend(text);
            return;
        }
        Report(QStringLiteral("error not listed ") + name);
    }

    void Reply(const QString& text)
    {
        m_pIncoming->ShowInFront();
        QTest::mouseClick(m_pIncoming->findChild<QPushButton*>(QStringLiteral("1012")), Qt::LeftButton);
        // The Online window opens the Send Message window when it takes the posted request.
        WaitFor([] { return CSendMessageDialog::FirstInstance() != nullptr; }, std::chrono::seconds(2));
        WriteAndSend(text);
    }

    static void WriteAndSend(const QString& text)
    {
        CSendMessageDialog* dialog = CSendMessageDialog::FirstInstance();
        if (!dialog) {
            Report(QStringLiteral("error no Send Message window"));
            return;
        }
        TypeText(dialog->Edit(), text);
        auto* send = dialog->findChild<QPushButton*>(QString::number(CSendMessageDialog::IDOK));
        Report(QStringLiteral("sent ") + Now() + QLatin1Char(' ') + dialog->Recipient());
        QTest::mouseClick(send, Qt::LeftButton);
    }

    COnlineDialog* m_pOnline = nullptr;
    CIncomingMessagesDialog* m_pIncoming = nullptr;
    bool m_bFlashing = false;
};

} // namespace

int main(int argc, char** argv)
{
    NamedEndpoint instanceLock;
    if (!instanceLock.Claim(kInstanceLockName))
        return CPellwickApp::EXIT_ALREADY_RUNNING;

    QApplication application(argc, argv);
    CPellwickApp pellwick;
    HostDriver driver;
    // Runs once the program's start-up has made its windows.
    QTimer::singleShot(0, &driver, &HostDriver::Attach);
    return pellwick.Run();
}
