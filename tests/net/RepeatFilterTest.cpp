#include "net/RepeatFilter.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RepeatFilterTest, ARecordCountsOnceOverInterfacesAndWiresAndAgainWhenSaidAgain)
{
    constexpr auto OWN = RepeatFilter::OWN_WIRE;
    constexpr auto WINDOWS = RepeatFilter::MAILSLOT_WIRE;
    const MessagePacket a = MessagePacket::Make(PACKET_CHAT, u"A", u"olga");
    const MessagePacket b = MessagePacket::Make(PACKET_CHAT, u"B", u"olga");
    struct Read {
        RepeatFilter::Wire wire;
        const MessagePacket* record;
        int ms;
        bool repeat;
        DatagramOrigin from = {0x0a000001, 2};
    };
    const std::vector<Read> reads = {
        {OWN, &a, 0, false},      {OWN, &a, 1, true}, // over a second interface
        {WINDOWS, &a, 2, true}, // its twin on the other wire
        {WINDOWS, &a, 3, true}, // the twin over the second interface
        {WINDOWS, &b, 10, false}, // the other wire first
        {OWN, &b, 11, true},      {OWN, &a, 12, false}, // said again after B
        {WINDOWS, &a, 13, true},  {WINDOWS, &a, 100, false}, // said again later
        {OWN, &a, 200, false}, // no twin waits past the span
        {OWN, &b, 201, false},    {OWN, &b, 202, true},      {WINDOWS, &b, 203, true},
        {WINDOWS, &a, 204, true}, {WINDOWS, &b, 205, false}, // one twin per record handed on
        {OWN, &a, 300, false},    {OWN, &b, 400, false},
        {WINDOWS, &a, 301, true}, // read after a later record of the other wire: still its twin
        {OWN, &b, 500, false},    {OWN, &b, 501, true, {0x0a010001, 3}}, // a second interface's address
        {OWN, &b, 600, false},    {OWN, &b, 601, false, {0x0a000002, 2}}, // another computer says the same
        {WINDOWS, &b, 602, true, {0x0a000002, 2}}, {WINDOWS, &b, 603, true}, // each has its twin
    };
    RepeatFilter filter;
    const auto start = RepeatFilter::Clock::now();
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const Read& read = reads[i];
        EXPECT_EQ(filter.IsRepeat(read.wire, *read.record, start + std::chrono::milliseconds(read.ms), read.from), read.repeat)
            << "read " << i;
    }
}
