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

    bool event(QEvent* event) override
    {
        if (event->type() == WM_PACKET)
            m_events.push_back({WM_PACKET, static_cast<PacketEvent*>(event)->Packet(), 0});
        else if (event->type() == WM_PRESENCE) {
            const auto* presence = static_cast<PresenceEvent*>(event);
            m_events.push_back({WM_PRESENCE, presence->Packet(), presence->LParam()});
        } else if (event->type() == WM_FLASH_TRAY)
            m_events.push_back({WM_FLASH_TRAY, {}, static_cast<FlashTrayEvent*>(event)->FlashKind()});
        else
            return QObject::event(event);
        return true;
    }

private:
    std::vector<Received> m_events;
};
