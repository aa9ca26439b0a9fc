#include "app/SessionBusService.h"

#include "app/TrayCommands.h"
#include "platform/Logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>

SessionBusService::SessionBusService(MessengerSession& session, TrayCommands& commands, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_commands(commands)
{
    qDBusRegisterMetaType<UserStates>();
    new ApplicationAdaptor(this);
    connect(&session, &MessengerSession::MessageReceived, this,
            [this](const QString& sender, const QString& text) { Q_EMIT MessageReceived(sender, text); });
    connect(&session, &MessengerSession::ChatLineReceived, this, &SessionBusService::ChatLineReceived);
    connect(&session, &MessengerSession::UserListed, this, &SessionBusService::UserListed);
    connect(&session, &MessengerSession::UsersDropped, this, [this](const QStringList& names) {
        for (const QString& name : names)
            Q_EMIT UserDropped(name);
    });
}

SessionBusService::~SessionBusService()
{
    if (!m_bRegistered)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QString::fromLatin1(kPath));
    bus.unregisterService(QString::fromLatin1(kService));
}

bool SessionBusService::Register()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcApp) << "no session bus: the program cannot be reached by scripts";
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(kPath), this,
                            QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAdaptors)) {
        qCWarning(lcApp) << "cannot export" << kPath << "on the session bus";
        return false;
    }
    if (!bus.registerService(QString::fromLatin1(kService))) {
        qCWarning(lcApp) << "the session bus name" << kService << "is taken:" << bus.lastError().message();
        bus.unregisterObject(QString::fromLatin1(kPath));
        return false;
    }
    m_bRegistered = true;
    return true;
}

void SessionBusService::Fail(const QString& error, const QString& text)
{
    sendErrorReply(QString::fromLatin1(kErrorPrefix) + error, text);
}

SessionBusService::Refusal SessionBusService::RefusalFor(MessengerSession::SendResult result, const QString& user)
{
    using Result = MessengerSession::SendResult;
    switch (result) {
    case Result::Sent:
        break;
    case Result::NotListed:
        return {QStringLiteral("UnknownUser"), QStringLiteral("Nobody called '%1' is online.").arg(user)};
    case Result::NameTooLong:
        return {QStringLiteral("NameTooLong"), QStringLiteral("The name '%1' is too long to be addressed.").arg(user)};
    case Result::NoNetwork:
        return {QStringLiteral("NoNetwork"), QStringLiteral("No network took the text.")};
    case Result::EmptyText:
        return {QStringLiteral("InvalidText"), QStringLiteral("There is no text to send.")};
    case Result::NotOneLine:
        return {QStringLiteral("InvalidText"), QStringLiteral("A chat line is one line of text.")};
    case Result::TextTooLong:
        return {QStringLiteral("TextTooLong"),
                QStringLiteral("The text is over %1 characters (in a message a line break counts two).")
                    .arg(MessengerSession::kMaxTextLength)};
    }
    return {};
}

void SessionBusService::Refuse(MessengerSession::SendResult result, const QString& user)
{
    const Refusal refusal = RefusalFor(result, user);
    Fail(refusal.error, refusal.text);
}

void SessionBusService::SendMessage(const QString& user, const QString& text)
{
    const MessengerSession::SendResult result = m_session.SendMessage(user, text);
    if (result != MessengerSession::SendResult::Sent)
        Refuse(result, user);
}

void SessionBusService::SendChatLine(const QString& text)
{
    MessengerSession::SendResult result = MessengerSession::CheckChatLine(text);
    if (result == MessengerSession::SendResult::Sent && !m_session.SendChatLine(text))
        result = MessengerSession::SendResult::NoNetwork;
    if (result != MessengerSession::SendResult::Sent)
        Refuse(result);
}

SessionBusService::UserStates SessionBusService::ListUsers()
{
    UserStates users;
    for (const OnlineUser& user : m_session.Roster().Users())
        users.insert(user.name, user.inChat);
    return users;
}

void SessionBusService::ShowWindow(const QString& window)
{
    if (window == u"online")
        m_commands.OnTrayCommand(ID_SHOW_ONLINE);
    else if (window == u"chat")
        m_commands.OnTrayCommand(ID_SHOW_CHAT);
    else if (window == u"incoming")
        m_commands.OnTrayCommand(ID_SHOW_HISTORY);
    else
        Fail(QStringLiteral("UnknownWindow"), QStringLiteral("Windows are 'online', 'chat' and 'incoming'."));
}

ApplicationAdaptor::ApplicationAdaptor(SessionBusService* service)
    : QDBusAbstractAdaptor(service)
    , m_pService(service)
{
}

void ApplicationAdaptor::Activate(const QVariantMap&)
{
    m_pService->m_commands.OnTrayCommand(ID_SHOW_ONLINE);
}

void ApplicationAdaptor::Open(const QStringList&, const QVariantMap&)
{
    m_pService->m_commands.OnTrayCommand(ID_SHOW_ONLINE);
}

void ApplicationAdaptor::ActivateAction(const QString& action, const QVariantList&, const QVariantMap&)
{
    if (action == u"chat")
        m_pService->m_commands.OnTrayCommand(ID_SHOW_CHAT);
    else if (action == u"history")
        m_pService->m_commands.OnTrayCommand(ID_SHOW_HISTORY);
    else
        qCInfo(lcApp) << "unknown application action" << action;
}
