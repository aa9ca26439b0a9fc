#pragma once

#include "net/WindowMessages.h"

// WM_FLASH_TRAY: start flashing the tray icon.
class FlashTrayEvent : public QEvent {
public:
    enum Kind { FLASH_INCOMING_MESSAGE = 1, FLASH_NEW_USER = 2 };

    explicit FlashTrayEvent(Kind kind)
        : QEvent(WM_FLASH_TRAY)
        , m_kind(kind)
    {
    }

    Kind FlashKind() const { return m_kind; }

private:
    Kind m_kind;
};
