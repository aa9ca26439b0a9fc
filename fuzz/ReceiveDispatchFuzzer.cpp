// Feeds datagrams through the real receive path: the bytes go out through a socket to one of
// the transport's two read sides (its own wire, or the Windows peers' mailslot wire with its
// datagram decoder), then ReadPending takes them in, repeats are dropped and the rest is
// routed to stand-in windows, whose events are delivered and checked.
// Input: a sequence of datagrams, each a 2-byte little-endian length and that many bytes; the
// length's top bit sends the datagram to the mailslot wire; the next bit hands it over as the
// site relay takes a record from its broker (checked as one whole record, then dispatched).
#include "net/CMailslotTransport.h"
#include "platform/OwnUserName.h"
#include "support/LoopbackEndpoints.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"
#include "support/RecordingReceiver.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr unsigned kToMailslot = 0x8000;
constexpr unsigned kViaBroker = 0x4000;

struct Harness {
    int argc = 1;
    char name[8] = "fuzzer";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    RecordingAlertSink alerts;
    CMailslotTransport transport{alerts, LoopbackEndpoints(true)};
    RecordingReceiver received;
    RawDatagram raw;
    OwnUserNameOverride me{QStringLiteral("ivan")};

    Harness() { transport.Received().SetHandler(&received); }
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckFields(const std::vector<RecordingReceiver::Received>& records, quint32 type)
{
    for (const auto& event : records) {
        Check(event.packet.type == type || (type == PACKET_PRESENCE && event.packet.type == PACKET_CHAT_PRESENCE));
        Check(event.packet.Text().size() <= 260);
        Check(event.packet.Sender().size() <= 50);
        Check(event.packet.Recipient().size() <= 50);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Harness h;
    Check(h.transport.IsOpen() && h.transport.MailslotState() == MailslotWire::State::Open);
    while (size >= 2) {
        const unsigned prefix = data[0] | data[1] << 8;
        const std::size_t length = std::min<std::size_t>(prefix & ~(kToMailslot | kViaBroker), size - 2);
        if (prefix & kViaBroker) {
            if (const auto record = MessagePacket::FromBytes(
                    QByteArrayView(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(length))))
                h.transport.Dispatch(*record, 0x0a000001);
        } else {
            h.raw.Send(prefix & kToMailslot ? h.transport.MailslotPort() : h.transport.Port(), data + 2, length);
        }
        data += 2 + length;
        size -= 2 + length;
    }
    h.transport.ReadPending(); // at most a batch; the rest waits for the next input
    while (h.transport.Received().Waiting() > 0)
        h.transport.Received().DeliverWaiting();
    QCoreApplication::sendPostedEvents(); // wake-ups that found nothing left

    CheckFields(h.received.chat, PACKET_CHAT);
    CheckFields(h.received.incoming, PACKET_MESSAGE);
    CheckFields(h.received.presence, PACKET_PRESENCE);
    Check(h.received.Unnoticed() == h.received.incoming.size()); // the Incoming window is never in front here
    Check(h.alerts.Texts().isEmpty());
    h.received.Clear();
    return 0;
}
