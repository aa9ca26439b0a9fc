#pragma once

#include <QEvent>

// The program's own events between threads, with their fixed numbers (all in Qt's user
// range). 2027 and 2028 are not used; the sending of a packet (2030) is a direct call
// through PacketSender.
inline constexpr auto WM_PACKET = static_cast<QEvent::Type>(2024);
inline constexpr auto WM_FLASH_TRAY = static_cast<QEvent::Type>(2025);
inline constexpr auto WM_PRESENCE = static_cast<QEvent::Type>(2026);
inline constexpr auto WM_REPLY_TO = static_cast<QEvent::Type>(2029);
inline constexpr auto WM_SEND_PACKET = static_cast<QEvent::Type>(2030);
