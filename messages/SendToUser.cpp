#include "messages/SendToUser.h"

#include "messages/CSendMessageDialog.h"
#include "net/MessagePacket.h"
#include "net/PacketSender.h"
#include "platform/OwnUserName.h"
#include "ui/CListBox.h"

#include <QMessageBox>

SendToUser::SendToUser(CRegistry& registry, PacketSender& sender, const CListBox& userList, QWidget* mainWnd)
    : QObject(mainWnd)
    , m_registry(registry)
    , m_sender(sender)
    , m_userList(userList)
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

// False only when the message could not go out; an addressee no longer listed is warned of
// and counts as done.
bool SendToUser::Send(const CSendMessageDialog& dialog)
{
    const QString& name = dialog.Recipient();
    if (!IsListed(name)) {
        auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Warning"),
                                    QStringLiteral("Машина User'a не отвечает на запрос. \nСообщение не отправлено."),
                                    QMessageBox::Ok, m_pMainWnd);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return true;
    }
    return m_sender.SendPacket(
        MessagePacket::Make(PACKET_MESSAGE, CSendMessageDialog::WireText(dialog.Text()), GetOwnUserName(), name));
}

// The list finds its items without regard to case; the addressee must match exactly.
bool SendToUser::IsListed(const QString& name) const
{
    for (int i = 0; i < m_userList.GetCount(); ++i)
        if (m_userList.GetText(i) == name)
            return true;
    return false;
}
