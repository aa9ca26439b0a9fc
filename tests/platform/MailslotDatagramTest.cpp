#include "platform/MailslotDatagram.h"
#include "platform/OemCodePage.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <functional>
#include <numeric>
#include <optional>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t kRecord = MailslotDatagram::kRecordSize;

std::vector<char> SampleRecord()
{
    std::vector<char> record(kRecord);
    std::iota(record.begin(), record.end(), '\1');
    return record;
}

// What a Windows machine "LNX1" at 10.77.0.2 sends writing the record to \\*\mailslot\forall in
// WORKGROUP, field by field from RFC 1002 4.4, MS-CIFS 2.2.4.33.1 and MS-MAIL 2.2.1; padded: data at 88.
QByteArray HandLaid(bool padded)
{
    // NetBIOS datagram header: DIRECT_GROUP, first fragment, id 7, 10.77.0.2:138, length, offset 0.
    QByteArray d = QByteArray::fromHex("1102 0007 0a4d0002 008a") + QByteArray::fromHex(padded ? "0208" : "0206")
        + QByteArray::fromHex("0000");
    // "LNX1" and "WORKGROUP", each padded with spaces to 15, suffix 0x00, first-level encoded.
    d += '\x20' + QByteArray("EMEOFIDB") + QByteArray("CA").repeated(11) + "AA" + '\0';
    d += '\x20' + QByteArray("FHEPFCELEHFCEPFFFA") + QByteArray("CA").repeated(6) + "AA" + '\0';
    // SMB header: protocol, SMB_COM_TRANSACTION, everything else zero; WordCount 17.
    d += QByteArray::fromHex("ff534d42 25") + QByteArray(27, '\0') + '\x11';
    d += QByteArray::fromHex("0000 6c01 0000 0000 00 00 0000 00000000 0000"); // totals, max, flags, timeout
    d += QByteArray::fromHex("0000 0000 6c01"); // ParameterCount, ParameterOffset, DataCount 364
    d += QByteArray::fromHex(padded ? "5800" : "5600"); // DataOffset 88 or 86
    d += QByteArray::fromHex("03 00 0100 0000 0200"); // SetupCount 3: write, priority 0, class 2
    d += QByteArray::fromHex(padded ? "7f01" : "7d01"); // ByteCount
    d += QByteArray("\\MAILSLOT\\forall") + QByteArray(padded ? 3 : 1, '\0');
    return d + QByteArray(SampleRecord().data(), static_cast<qsizetype>(kRecord));
}

// Decodes from a buffer of exactly the datagram's size, so that AddressSanitizer catches a read past it.
bool Decodes(const QByteArray& datagram, std::vector<char>* record = nullptr)
{
    const std::vector<char> exact(datagram.begin(), datagram.end());
    std::vector<char> out(kRecord, '#');
    const bool ok = MailslotDatagram::Decode(exact.data(), exact.size(), out.data());
    if (!ok && out != std::vector<char>(kRecord, '#'))
        ADD_FAILURE() << "a dropped datagram wrote into the record";
    if (record)
        *record = out;
    return ok;
}

} // namespace

// The Windows peers system test checks the unpadded form against scapy and tshark.
TEST(MailslotDatagramTest, TheEncoderLaysOutTheDatagramByteForByteAndThePaddedFormDecodes)
{
    const MailslotDatagram::Origin origin{
        .sourceAddress = 0x0A4D0002, .datagramId = 7, .sourceName = "lnx1", .groupName = "WorkGroup"};
    const std::vector<char> record = SampleRecord();
    EXPECT_EQ(MailslotDatagram::Encode(origin, record.data()).toHex(' '), HandLaid(false).toHex(' '));

    std::vector<char> decoded;
    ASSERT_TRUE(Decodes(HandLaid(true), &decoded));
    EXPECT_EQ(decoded, record);
}

TEST(MailslotDatagramTest, OnlyAWholeMailslotWriteOfARecordIsTakenWhateverItsTypeFlagsOrNameCase)
{
    // Changes to the unpadded datagram, whose SMB header starts at 82.
    constexpr int smb = 82;
    const auto setWord = [](QByteArray& d, int at, quint16 value) { qToLittleEndian<quint16>(value, d.data() + at); };
    const std::vector<std::tuple<const char*, bool, std::function<void(QByteArray&)>>> cases = {
        {"DIRECT_UNIQUE", true, [](QByteArray& d) { d[0] = '\x10'; }},
        {"flags as Windows sets them", true, [](QByteArray& d) { d[1] = '\x0e'; }},
        {"flags as Samba sets them", true, [](QByteArray& d) { d[1] = '\x0a'; }},
        {"name in other case", true, [](QByteArray& d) { d.replace("\\MAILSLOT\\forall", "\\mailslot\\FORALL"); }},
        {"datagram error", false, [](QByteArray& d) { d[0] = '\x13'; }},
        {"later fragment", false, [](QByteArray& d) { d[1] = '\x00'; }},
        {"packet offset", false, [](QByteArray& d) { d[13] = '\x01'; }},
        {"length past the end", false, [](QByteArray& d) { d[11] = static_cast<char>(d[11] + 1); }},
        {"name of 33 bytes", false, [](QByteArray& d) { d[14] = '\x21'; }},
        {"compressed name", false, [](QByteArray& d) { d[48] = '\xc0'; }},
        {"SMB2 protocol", false, [&](QByteArray& d) { d[smb] = '\xfe'; }},
        {"WordCount 14", false, [&](QByteArray& d) { d[smb + 32] = '\x0e'; }},
        {"SetupCount 2", false, [&](QByteArray& d) { d[smb + 59] = '\x02'; }},
        {"opcode 2", false, [&](QByteArray& d) { setWord(d, smb + 61, 2); }},
        {"browser mailslot", false, [](QByteArray& d) { d.replace("\\MAILSLOT\\forall", "\\MAILSLOT\\BROWSE"); }},
        {"longer name", false, [](QByteArray& d) { d.replace(QByteArray("forall") + '\0', "foralls"); }},
        {"DataCount 363", false, [&](QByteArray& d) { setWord(d, smb + 55, 363); }},
        {"DataOffset past the end", false, [&](QByteArray& d) { setWord(d, smb + 57, 87); }},
        {"DataOffset in the header", false, [&](QByteArray& d) { setWord(d, smb + 57, 40); }},
    };
    for (const auto& [name, taken, mutate] : cases) {
        QByteArray datagram = HandLaid(false);
        mutate(datagram);
        EXPECT_EQ(Decodes(datagram), taken) << name;
    }

    const QByteArray whole = HandLaid(true);
    for (qsizetype size = 0; size < whole.size(); ++size)
        ASSERT_FALSE(Decodes(whole.left(size))) << "cut to " << size;
}

TEST(MailslotDatagramTest, NamesAreWrittenUpperCaseInTheOemCodePageAndCutBetweenCharacters)
{
    using OemCodePage::kCyrillic;
    using OemCodePage::kWesternEuropean;
    const std::vector<std::tuple<QString, int, std::optional<QByteArray>>> cases = {
        // "РАБОЧАЯГРУППА" as Samba writes it with dos charset = CP866.
        {u"рабочаяГруппа"_s, kCyrillic, QByteArray::fromHex("9080818e97809f8390938f8f80")},
        // Sixteen letters: fifteen whole ones remain.
        {u"ПЕРСОНАЛЬНЫЙКОМП"_s, kCyrillic, QByteArray::fromHex("8f8590918e8d808b9c8d9b898a8e8c")},
        {u" lnx1 "_s, kWesternEuropean, "LNX1"_ba},
        {u"café"_s, kWesternEuropean, "CAF\x90"_ba},
        {u"пк"_s, kWesternEuropean, std::nullopt},
        {u"a\nb"_s, kCyrillic, std::nullopt},
        {u"  "_s, kCyrillic, std::nullopt},
        {u"PC"_s, 1252, std::nullopt},
    };
    for (const auto& [name, codePage, expected] : cases)
        EXPECT_EQ(OemCodePage::NetBiosName(name, codePage), expected) << name.toStdString() << ' ' << codePage;

    // The datagram carries the bytes as they are, padded with spaces.
    const QByteArray group = QByteArray::fromHex("9080818e97809f8390938f8f80");
    EXPECT_EQ(MailslotDatagram::NetBiosName(group), group + QByteArray(2, ' ') + '\0');
    EXPECT_EQ(OemCodePage::ForLocale(QLocale(QLocale::Russian)), kCyrillic);
    EXPECT_EQ(OemCodePage::ForLocale(QLocale(QLocale::German)), kWesternEuropean);
}
