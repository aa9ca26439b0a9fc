#include "session/MessengerSession.h"
#include "platform/OwnUserName.h"
#include "support/LoopbackEndpoints.h"
#include "support/QtPrinters.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Qt::StringLiterals;

// One session on loopback hears itself: everything a front end sees comes through its API.
TEST(MessengerSessionTest, ListsItselfTalksToItselfAndSaysWhyAMessageDidNotGo)
{
    const OwnUserNameOverride me(u"olga 50%off"_s);
    RecordingAlertSink alerts;
    bool networkUp = false; // a machine started without a network still lists its own user
    TransportEndpoints endpoints = LoopbackEndpoints();
    endpoints.networks = [&] {
        return networkUp ? std::vector<Ipv4Network>{{0x7F000001, 0x7FFFFFFF}} : std::vector<Ipv4Network>{};
    };
    MessengerSession session(alerts, std::move(endpoints));
    ASSERT_TRUE(session.IsOpen());

    QStringList heard;
    QObject::connect(&session, &MessengerSession::UserListed,
                     [&](const QString& name) { heard << u"listed "_s + name; });
    QObject::connect(&session, &MessengerSession::UserChatChanged,
                     [&](const QString& name, bool in) { heard << (in ? u"in chat "_s : u"left chat "_s) + name; });
    QObject::connect(&session, &MessengerSession::ChatLineReceived,
                     [&](const QString& from, const QString& text) { heard << u"line "_s + from + u": "_s + text; });
    QObject::connect(&session, &MessengerSession::MessageReceived,
                     [&](const QString& from, const QString& text, bool unnoticed) {
                         heard << u"message "_s + from + u": "_s + text + (unnoticed ? u" (unnoticed)"_s : QString());
                     });
    QObject::connect(&session, &MessengerSession::NetworkLost, [&] { heard << u"network lost"_s; });
    QObject::connect(&session, &MessengerSession::NetworkBack, [&] { heard << u"network back"_s; });
    const auto hears = [&](const QString& what) { return WaitFor([&] { return heard.contains(what); }); };

    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(hears(u"listed olga 50%off"_s));
    EXPECT_TRUE(session.IsListed(u"olga 50%off"_s));
    EXPECT_EQ(session.SendMessage(u"olga 50%off"_s, u"lost"_s), MessengerSession::SendResult::NoNetwork);
    EXPECT_FALSE(session.SendChatLine(u"lost"_s));
    networkUp = true;
    EXPECT_TRUE(session.SendChatLine(u"back"_s));
    EXPECT_TRUE(hears(u"line olga 50%off: back"_s));
    EXPECT_EQ(heard.filter(u"network"_s), (QStringList{u"network lost"_s, u"network back"_s}));

    session.SetInChatRoom(true);
    EXPECT_TRUE(hears(u"in chat olga 50%off"_s));

    EXPECT_TRUE(session.SendChatLine(u"a line, <b>plain</b> 50%"_s));
    EXPECT_TRUE(hears(u"line olga 50%off: a line, <b>plain</b> 50%"_s));
    EXPECT_EQ(session.SendMessage(u"olga 50%off"_s, u"to me"_s), MessengerSession::SendResult::Sent);
    EXPECT_TRUE(hears(u"message olga 50%off: to me (unnoticed)"_s));
    session.SetIncomingInFront(true);
    EXPECT_EQ(session.SendMessage(u"olga 50%off"_s, u"seen"_s), MessengerSession::SendResult::Sent);
    EXPECT_TRUE(hears(u"message olga 50%off: seen"_s));

    EXPECT_EQ(session.SendMessage(u"olga"_s, u"x"_s), MessengerSession::SendResult::NotListed);
    // Typed text is refused before anything goes out: a line break takes two bytes of a message.
    using R = MessengerSession::SendResult;
    const QString full(MessengerSession::kMaxTextLength - 2, u'x');
    EXPECT_EQ(session.SendMessage(u"olga 50%off"_s, full + u"\n"_s), R::Sent);
    EXPECT_EQ(session.SendMessage(u"olga 50%off"_s, full + u"\nx"_s), R::TextTooLong);
    EXPECT_EQ(session.SendMessage(u"olga 50%off"_s, {}), R::EmptyText);
    EXPECT_EQ(MessengerSession::CheckChatLine(u"two\rlines"_s), R::NotOneLine);
    EXPECT_EQ(MessengerSession::CheckChatLine(full + u"xx"_s), R::Sent);
    EXPECT_EQ(MessengerSession::CheckChatLine(full + u"xxx"_s), R::TextTooLong);
    EXPECT_FALSE(session.SendChatLine(u"two\nlines"_s));
    // A peer whose name fills its field to the last byte (no room for the end mark) is listed,
    // but a reply could only carry the name cut short: it would reach nobody, or somebody else.
    MessagePacket presence = MessagePacket::Make(PACKET_PRESENCE, u"x", u"");
    std::memset(presence.sender.data(), 'n', presence.sender.size());
    RawDatagram().Send(session.Transport().Port(), &presence, sizeof presence);
    const QString longName(static_cast<qsizetype>(MessagePacket::kNameWidth), u'n');
    ASSERT_TRUE(hears(u"listed "_s + longName));
    EXPECT_EQ(session.SendMessage(longName, u"x"_s), MessengerSession::SendResult::NameTooLong);
    EXPECT_EQ(heard.filter(u"lost"_s), QStringList{u"network lost"_s}); // nothing that failed came back

    session.Stop();
    const qsizetype count = heard.size();
    RawDatagram().Send(session.Transport().Port(), &presence, sizeof presence);
    WaitFor([] { return false; }, std::chrono::milliseconds(1200));
    EXPECT_EQ(heard.size(), count); // stopped: nothing more arrives, nothing is announced
}
