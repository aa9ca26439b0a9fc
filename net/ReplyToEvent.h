#pragma once

#include "net/WindowMessages.h"

#include <QString>

// WM_REPLY_TO: open the Send Message dialog for this user. The event owns its copy of the
// name, so the poster may change its own at once.
class ReplyToEvent : public QEvent {
public:
    explicit ReplyToEvent(const QString& userName)
        : QEvent(WM_REPLY_TO)
        , m_strUserName(userName)
    {
    }

    const QString& UserName() const { return m_strUserName; }

private:
    QString m_strUserName;
};
