#pragma once

#include "net/FlashTrayEvent.h"
#include "net/PacketEvent.h"
#include "net/PresenceEvent.h"

#include <QObject>

#include <vector>

// Stands in for a window that the listener posts to: keeps what each event carried, in the
// order the events arrived (on the receiver's thread).
class RecordingReceiver : public QObject {
public:
    struct Received {
        QEvent::Type type;
        MessagePacket packet;
        int lParam = 0; // chat presence 1, or the flash kind
    };

    const std::vector<Received>& Events() const { return m_events; }
    std::size_t Count() const { return m_events.size(); }
    void Clear() { m_events.clear(); }

    bool event(QEvent* event) override
    {
        if (const auto* packet = dynamic_cast<PacketEvent*>(event))
            m_events.push_back({WM_PACKET, packet->Packet(), 0});
        else if (const auto* presence = dynamic_cast<PresenceEvent*>(event))
            m_events.push_back({WM_PRESENCE, presence->Packet(), presence->LParam()});
        else if (const auto* flash = dynamic_cast<FlashTrayEvent*>(event))
            m_events.push_back({WM_FLASH_TRAY, {}, flash->FlashKind()});
        else
            return QObject::event(event);
        return true;
    }

private:
    std::vector<Received> m_events;
};
