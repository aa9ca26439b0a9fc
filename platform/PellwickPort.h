#pragma once

#include <QtGlobal>

// The one UDP port every copy reads and broadcasts to (README, "Network").
inline constexpr quint16 kPellwickPort = 47364;
