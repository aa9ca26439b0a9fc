#pragma once

#include <QObject>
#include <QPointer>

class CListBox;
class CRegistry;
class CSendMessageDialog;
class PacketSender;
class QWidget;

// The road of a private message: opens the Send Message window for a user (or "All"), and
// when the user presses Send, sends the text through the one door out, provided the
// addressee is still in the Online window's list. One window at a time: a second request
// brings the open one forward and is dropped. The window is destroyed when it ends, except
// after a Send that could not go out (the network is down): then it comes back with the
// text, so that nothing the user wrote is lost.
class SendToUser : public QObject {
    Q_OBJECT

public:
    // mainWnd owns the windows and the warning; userList is its list of users.
    SendToUser(CRegistry& registry, PacketSender& sender, const CListBox& userList, QWidget* mainWnd);

    void Open(const QString& name);

private:
    void OnFinished(CSendMessageDialog* dialog, int result);
    bool Send(const CSendMessageDialog& dialog);
    bool IsListed(const QString& name) const;

    CRegistry& m_registry;
    PacketSender& m_sender;
    const CListBox& m_userList;
    const QPointer<QWidget> m_pMainWnd;
};
