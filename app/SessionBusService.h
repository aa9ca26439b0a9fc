#pragma once

#include "session/MessengerSession.h"

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QMap>
#include <QObject>
#include <QVariantMap>

class TrayCommands;

// The running copy on the session bus, for scripts and the command line: the service
// org.pellwick.Pellwick with the object /org/pellwick/Pellwick, which carries the program's own
// interface and org.freedesktop.Application. Text from the bus is taken as typed text, with the
// same limits; a call that cannot be carried out gets an error named for why, never a silent
// success. Nothing here reads or writes files or runs anything.
class SessionBusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.pellwick.Pellwick")

public:
    static constexpr const char* kService = "org.pellwick.Pellwick";
    static constexpr const char* kPath = "/org/pellwick/Pellwick";
    static constexpr const char* kInterface = "org.pellwick.Pellwick";
    // Error names: kErrorPrefix + "UnknownUser", "TextTooLong", "InvalidText", "NoNetwork",
    // "NameTooLong", "UnknownWindow".
    static constexpr const char* kErrorPrefix = "org.pellwick.Pellwick.Error.";

    using UserStates = QMap<QString, bool>;

    // Why a send did not go out, as an error name (after kErrorPrefix) and a sentence.
    struct Refusal {
        QString error;
        QString text;
    };
    static Refusal RefusalFor(MessengerSession::SendResult result, const QString& user);

    SessionBusService(MessengerSession& session, TrayCommands& commands, QObject* parent = nullptr);
    ~SessionBusService() override;

    // Claims the name and exports the object; false (and a log line) where there is no session
    // bus or the name is taken.
    bool Register();

public Q_SLOTS:
    // To one user by exact name, or to everybody with "All".
    Q_SCRIPTABLE void SendMessage(const QString& user, const QString& text);
    Q_SCRIPTABLE void SendChatLine(const QString& text);
    // The users online now: name -> in the chat room.
    Q_SCRIPTABLE UserStates ListUsers();
    // "online", "chat" or "incoming".
    Q_SCRIPTABLE void ShowWindow(const QString& window);

Q_SIGNALS:
    Q_SCRIPTABLE void MessageReceived(const QString& sender, const QString& text);
    Q_SCRIPTABLE void ChatLineReceived(const QString& sender, const QString& text);
    Q_SCRIPTABLE void UserListed(const QString& name);
    Q_SCRIPTABLE void UserDropped(const QString& name);

private:
    friend class ApplicationAdaptor;
    void Fail(const QString& error, const QString& text);
    void Refuse(MessengerSession::SendResult result, const QString& user = {});

    MessengerSession& m_session;
    TrayCommands& m_commands;
    bool m_bRegistered = false;
};

// org.freedesktop.Application on the same object: Activate shows the Online window,
// ActivateAction "chat" the Chat Room and "history" Incoming Messages.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit ApplicationAdaptor(SessionBusService* service);

public Q_SLOTS:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& action, const QVariantList& parameter, const QVariantMap& platformData);

private:
    SessionBusService* m_pService;
};

Q_DECLARE_METATYPE(SessionBusService::UserStates)
