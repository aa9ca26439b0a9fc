#pragma once

#include <QObject>
#include <QPointer>

class CRegistry;
class CSendMessageDialog;
class MessengerSession;
class QWidget;

// The road of a private message: opens the Send Message window for a user (or "All"), and
// when the user presses Send, hands the text to the session. One window at a time: a second
// request brings the open one forward and is dropped. The window is destroyed when it ends,
// except after a Send that could not go out (the network is down, the addressee has left the
// list, the name cannot be addressed): then it comes back with the text, so that nothing the
// user wrote is lost.
class SendToUser : public QObject {
    Q_OBJECT

public:
    // mainWnd owns the windows and the warnings.
    SendToUser(CRegistry& registry, MessengerSession& session, QWidget* mainWnd);

    void Open(const QString& name);

private:
    void OnFinished(CSendMessageDialog* dialog, int result);
    bool Send(const CSendMessageDialog& dialog);
    void Warn(const QString& text);

    CRegistry& m_registry;
    MessengerSession& m_session;
    const QPointer<QWidget> m_pMainWnd;
};
