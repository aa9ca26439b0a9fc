#pragma once

// The commands of the tray menu, carried out by the application object.
enum TrayCommand : int {
    ID_SHOW_ONLINE = 32771,
    ID_SHOW_CHAT = 32772,
    ID_PREFERENCES = 32773,
    ID_SHUTDOWN = 32774,
    ID_ABOUT = 32775,
    ID_SHOW_HISTORY = 32776,
};

class TrayCommands {
public:
    virtual ~TrayCommands() = default;
    virtual void OnTrayCommand(int commandId) = 0;
    // "History..." is grey while no message has arrived.
    virtual bool HasIncomingMessages() const = 0;
};
