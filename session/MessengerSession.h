#pragma once

#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "net/ReceiveQueue.h"
#include "session/PresenceRoster.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

class AlertSink;

// The running messenger, without any window: the transport on both wires, the listener thread,
// the receive queue, the presence roster and its one-second tick, the chat-room announcements
// and every send. Windows, the tray and other front ends are views of it: they call its send
// methods and connect to its signals, which come on the GUI thread as the receive queue drains.
class MessengerSession : public QObject, private ReceiveQueue::Handler, private PresenceRoster::Changes {
    Q_OBJECT

public:
    static constexpr int kPresenceMs = 1000;
    static constexpr int kChatPresenceMs = 1000;
    // Users dropped in one tick that make the roster give its memory back.
    static constexpr std::size_t kReturnMemoryAfter = 1000;

    // Why a text did not go out.
    enum class SendResult {
        Sent,
        NotListed, // the addressee is not (or no longer) in the presence list
        NameTooLong, // the addressee's name does not fit a record's name field
        NoNetwork, // no network took the record
        EmptyText,
        TextTooLong, // over kMaxTextLength, a message's line break counting two
        NotOneLine, // a chat line with a line break in it
    };
    // What a record's text field holds, its NUL aside.
    static constexpr qsizetype kMaxTextLength = MessagePacket::kTextWidth - 1;

    // Opens the transport (a failure is shown through the alerts; see IsOpen). Nothing is read
    // or announced before Start.
    explicit MessengerSession(AlertSink& alerts, TransportEndpoints endpoints = {}, QObject* parent = nullptr);
    ~MessengerSession() override;

    // False when the transport did not open (it has shown why).
    bool IsOpen() const { return m_transport.IsOpen(); }
    // Starts the listener and the roster's tick, and with them this user's presence unless it is
    // only to listen (the command line's look at who is online); false when the thread could not
    // be made.
    bool Start(bool announcePresence = true);
    // Stops the listener; nothing more arrives. Safe to call more than once.
    void Stop();

    // Typed text as a record carries it: line breaks as CR LF, as the peers' edit fields write them.
    static QString WireText(const QString& typed);
    // Whether typed text may go out as it is (Sent) or why not; every front end checks the same.
    static SendResult CheckMessageText(const QString& typed);
    static SendResult CheckChatLine(const QString& text);

    // What the user wrote: false when it did not go out (refused, or the transport has shown why).
    bool SendChatLine(const QString& text);
    // The typed text of a private message.
    SendResult SendMessage(const QString& recipient, const QString& typed);

    // While the user is in the chat room, the session announces it once a second.
    void SetInChatRoom(bool inChatRoom);
    bool IsInChatRoom() const { return m_chatPresenceTimer.isActive(); }
    // Kept by the Incoming Messages window: messages that come while it is in front are noticed.
    void SetIncomingInFront(bool inFront) { m_bIncomingInFront = inFront; }

    bool IsListed(const QString& name) const { return m_roster.IsListed(name); }
    // The name is used on two computers at once: a private message to it reaches both.
    bool IsOnTwoComputers(const QString& name) const { return m_roster.IsOnTwoComputers(name); }
    const PresenceRoster& Roster() const { return m_roster; }
    MailslotWire::State WindowsWireState() const { return m_transport.MailslotState(); }
    CMailslotTransport& Transport() { return m_transport; }

Q_SIGNALS:
    // unnoticed: the Incoming Messages window was not in front when it came.
    void MessageReceived(const QString& sender, const QString& text, bool unnoticed);
    void ChatLineReceived(const QString& sender, const QString& text);
    // That many private messages were dropped unread before they reached MessageReceived.
    void MessagesDropped(quint64 count);
    void UserListed(const QString& name);
    // Everybody who went in one tick.
    void UsersDropped(const QStringList& names);
    void UserChatChanged(const QString& name, bool inChat);
    void UserOnTwoComputersChanged(const QString& name, bool onTwo);
    // The first send that no network took, and the first one again after it.
    void NetworkLost();
    void NetworkBack();

private:
    void OnPresenceTick();
    // Every record goes out here, on the GUI thread, in the order asked.
    bool Send(const MessagePacket& packet);

    void OnPresence(const MessagePacket& packet, bool chatPresence, quint32 from) override;
    void OnMessage(const MessagePacket& packet, bool unnoticed, quint32 from) override;
    void OnChatLine(const MessagePacket& packet, quint32 from) override;
    // The sender's name, with the address where a record claims this user's name from elsewhere.
    QString ShownSender(const MessagePacket& packet, quint32 from);
    void OnMessagesDropped(std::uint64_t count) override { Q_EMIT MessagesDropped(count); }
    void OnUserListed(const QString& name) override { Q_EMIT UserListed(name); }
    void OnUsersDropped(const QStringList& names) override { Q_EMIT UsersDropped(names); }
    void OnUserChatChanged(const QString& name, bool inChat) override { Q_EMIT UserChatChanged(name, inChat); }
    void OnUserOnTwoComputersChanged(const QString& name, bool onTwo) override
    {
        Q_EMIT UserOnTwoComputersChanged(name, onTwo);
    }

    CMailslotTransport m_transport;
    PresenceRoster m_roster;
    std::unique_ptr<CLookupThread> m_pLookupThread;
    std::atomic<bool> m_bIncomingInFront{false};
    bool m_bNetworkUp = true;
    bool m_bAnnouncePresence = true;
    bool m_bReturnMemoryDue = false; // at the next tick, once the windows have let go too
    QTimer m_presenceTimer;
    QTimer m_chatPresenceTimer;
};
