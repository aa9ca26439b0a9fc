#pragma once

#include "net/CMailslotTransport.h"

class CRegistry;

// The transport of this user's session as the settings make it: whether the Windows peers' wire
// is on and the names it writes. The program and the command line open the same one.
TransportEndpoints SessionEndpoints(CRegistry& registry);
