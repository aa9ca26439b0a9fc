#pragma once

#include <QEvent>

// The program's own events between threads, with their fixed numbers (all in Qt's user
// range). 2027 to 2030 are not used: the requests that go from one window to another (a
// reply, a packet to send) are direct calls, since every window lives on the GUI thread.
inline constexpr auto WM_PACKET = static_cast<QEvent::Type>(2024);
inline constexpr auto WM_FLASH_TRAY = static_cast<QEvent::Type>(2025);
inline constexpr auto WM_PRESENCE = static_cast<QEvent::Type>(2026);
