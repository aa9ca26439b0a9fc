#include "messages/SendToUser.h"

#include "messages/CSendMessageDialog.h"
#include "session/MessengerSession.h"

#include <QMessageBox>

SendToUser::SendToUser(CRegistry& registry, MessengerSession& session, QWidget* mainWnd)
    : QObject(mainWnd)
    , m_registry(registry)
    , m_session(session)
    , m_pMainWnd(mainWnd)
{
}

void SendToUser::Open(const QString& name)
{
    auto* dialog = new CSendMessageDialog(m_registry, name, m_pMainWnd);
    if (CSendMessageDialog::LiveCount() > 1) {
        delete dialog;
        if (CSendMessageDialog* open = CSendMessageDialog::FirstInstance()) {
            open->raise();
            open->activateWindow();
        }
        return;
    }
    // Only the Online window waits for it; the Incoming Messages window stays usable.
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) { OnFinished(dialog, result); });
    dialog->open();
}

void SendToUser::OnFinished(CSendMessageDialog* dialog, int result)
{
    if (result == CSendMessageDialog::IDOK && !dialog->Text().isEmpty() && !Send(*dialog)) {
        dialog->open();
        return;
    }
    dialog->deleteLater();
}

// False when the message did not go out; the user has been told why.
bool SendToUser::Send(const CSendMessageDialog& dialog)
{
    switch (m_session.SendMessage(dialog.Recipient(), dialog.Text())) {
    case MessengerSession::SendResult::Sent:
        if (m_session.IsOnTwoComputers(dialog.Recipient()))
            Warn(QStringLiteral("'%1' is used on two computers at once: both got the message.").arg(dialog.Recipient()));
        return true;
    case MessengerSession::SendResult::NotListed:
        Warn(QStringLiteral("Машина User'a не отвечает на запрос. \nСообщение не отправлено."));
        return false;
    case MessengerSession::SendResult::NameTooLong:
        Warn(QStringLiteral("This name is too long to be addressed on the network.\nСообщение не отправлено."));
        return false;
    case MessengerSession::SendResult::NoNetwork:
        return false; // the transport has said so
    case MessengerSession::SendResult::EmptyText:
    case MessengerSession::SendResult::TextTooLong:
    case MessengerSession::SendResult::NotOneLine:
        return false; // the window lets no such text through
    }
    return false;
}

void SendToUser::Warn(const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Warning"), text, QMessageBox::Ok, m_pMainWnd);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
