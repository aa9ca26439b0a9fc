#include "app/CTaskBarIcon.h"
#include "app/TrayCommands.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr auto NEW_USER = CTaskBarIcon::FLASH_NEW_USER;
constexpr auto MESSAGE = CTaskBarIcon::FLASH_INCOMING_MESSAGE;

// The tray's commands are recorded.
class CTaskBarIconTest : public ::testing::Test, public TrayCommands {
protected:
    CTaskBarIconTest() { tray.ShowNormalIcon(); }

    void OnTrayCommand(int commandId) override { commands.push_back(commandId); }
    bool HasIncomingMessages() const override { return hasMessages; }
    void Request(CTaskBarIcon::FlashKind kind)
    {
        tray.Flash(kind);
        QCoreApplication::processEvents();
    }

    std::vector<int> commands;
    bool hasMessages = false;
    CTaskBarIcon tray{*this, std::chrono::milliseconds(5)};
};

// A flash follows requests and clicks: what runs after the steps, and which window a click opened.
struct FlashCase {
    const char* name;
    std::vector<CTaskBarIcon::FlashKind> requests;
    enum { NOTHING, CLICK, INCOMING_IN_FRONT } then;
    QString tip; // the running flash, or "Pellwick" when none runs
    std::vector<int> opened;
};

class FlashSequenceTest : public CTaskBarIconTest, public ::testing::WithParamInterface<FlashCase> { };

} // namespace

TEST_P(FlashSequenceTest, EndsWithTheFlashThatWinsAndOpensWhatAClickWasAbout)
{
    const FlashCase& c = GetParam();
    for (const CTaskBarIcon::FlashKind kind : c.requests)
        Request(kind);
    if (c.then == FlashCase::CLICK)
        tray.OnLButtonDown();
    else if (c.then == FlashCase::INCOMING_IN_FRONT)
        tray.StopIncomingFlash();
    QCoreApplication::processEvents();
    const bool flashing = c.tip != u"Pellwick"_s;
    EXPECT_TRUE(WaitFor([&] { return tray.ToolTip() == c.tip && tray.IsFlashing() == flashing; }))
        << tray.ToolTip().toStdString();
    if (!flashing) {
        EXPECT_EQ(tray.CurrentIconId(), 128);
    } else if (c.tip == u"Incoming Message"_s) {
        EXPECT_FALSE(
            WaitFor([&] { return !tray.IsFlashing(); }, std::chrono::milliseconds(100))); // never ends by itself
    }
    EXPECT_EQ(commands, c.opened);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlashSequenceTest,
    ::testing::Values(
        FlashCase{"NewUserEndsByItself", {NEW_USER}, FlashCase::NOTHING, u"Pellwick"_s, {}},
        FlashCase{"MessageReplacesNewUser", {NEW_USER, MESSAGE}, FlashCase::NOTHING, u"Incoming Message"_s, {}},
        FlashCase{
            "NothingReplacesMessage", {MESSAGE, NEW_USER, MESSAGE}, FlashCase::NOTHING, u"Incoming Message"_s, {}},
        FlashCase{"ClickWithoutFlash", {}, FlashCase::CLICK, u"Pellwick"_s, {ID_SHOW_ONLINE}},
        FlashCase{"ClickOnMessage", {MESSAGE}, FlashCase::CLICK, u"Pellwick"_s, {ID_SHOW_HISTORY}},
        FlashCase{"ClickOnNewUser", {NEW_USER}, FlashCase::CLICK, u"Pellwick"_s, {ID_SHOW_ONLINE}},
        FlashCase{"InFrontStopsMessage", {MESSAGE}, FlashCase::INCOMING_IN_FRONT, u"Pellwick"_s, {}},
        FlashCase{"InFrontLeavesNewUser", {NEW_USER}, FlashCase::INCOMING_IN_FRONT, u"New User"_s, {}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(CTaskBarIconTest, RightClickShowsTheMenuOnlyWhileNothingFlashes)
{
    const QList<QAction*> actions = tray.Menu()->actions();
    QAction* history
        = *std::find_if(actions.begin(), actions.end(), [](QAction* item) { return item->data() == ID_SHOW_HISTORY; });
    Request(MESSAGE);
    tray.OnRButtonDown(QPoint(10, 10));
    EXPECT_FALSE(tray.Menu()->isVisible());
    tray.OnLButtonDown();

    tray.OnRButtonDown(QPoint(10, 10));
    EXPECT_TRUE(tray.Menu()->isVisible());
    EXPECT_FALSE(history->isEnabled());
    tray.Menu()->hide();

    hasMessages = true;
    tray.OnRButtonDown(QPoint(10, 10));
    EXPECT_TRUE(history->isEnabled());
    history->trigger();
    EXPECT_EQ(commands.back(), ID_SHOW_HISTORY);
}
