#include "app/CTaskBarIcon.h"
#include "app/TrayCommands.h"
#include "net/FlashTrayEvent.h"
#include "platform/AlertSink.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

class RecordingCommands : public TrayCommands {
public:
    void OnTrayCommand(int commandId) override { commands.push_back(commandId); }
    bool HasIncomingMessages() const override { return hasMessages; }

    std::vector<int> commands;
    bool hasMessages = false;
};

class NoAlerts : public AlertSink {
public:
    void ShowAlert(const QString& text) override { ADD_FAILURE() << text.toStdString(); }
};

class CTaskBarIconTest : public ::testing::Test {
protected:
    CTaskBarIconTest() { tray.ShowNormalIcon(); }

    void Request(FlashTrayEvent::Kind kind)
    {
        QCoreApplication::postEvent(&tray, new FlashTrayEvent(kind));
        QCoreApplication::processEvents();
    }

    RecordingCommands commands;
    NoAlerts alerts;
    CTaskBarIcon tray{commands, alerts, std::chrono::milliseconds(5)};
};

QAction* History(QMenu* menu)
{
    for (QAction* action : menu->actions())
        if (action->data().toInt() == ID_SHOW_HISTORY)
            return action;
    return nullptr;
}

} // namespace

TEST_F(CTaskBarIconTest, WithoutANotificationAreaTheStandInWindowCarriesTheIcon)
{
    // The offscreen platform has no notification area.
    EXPECT_FALSE(tray.IsInTray());
    EXPECT_TRUE(tray.StandIn()->isVisible());
    EXPECT_EQ(tray.CurrentIconId(), 128);
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Pellwick"));
    EXPECT_EQ(tray.StandIn()->toolTip(), QStringLiteral("Pellwick"));

    // An ordinary window of the task bar, titled, in the lower right corner of the work area.
    QWidget* standIn = tray.StandIn();
    EXPECT_EQ(standIn->windowTitle(), QStringLiteral("Pellwick"));
    EXPECT_EQ(standIn->windowType(), Qt::Window);
    EXPECT_FALSE(standIn->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(standIn->frameGeometry().bottomRight(), area.bottomRight());
}

TEST_F(CTaskBarIconTest, MenuHoldsTheCommandsInOrder)
{
    QStringList texts;
    for (QAction* action : tray.Menu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts.join(QLatin1Char('|')),
              QStringLiteral("Online...|Chat...|History...|-|About...|Preferences...|-|Shutdown"));
}

TEST_F(CTaskBarIconTest, NewUserFlashEndsByItselfWithTheNormalIcon)
{
    Request(FlashTrayEvent::FLASH_NEW_USER);
    EXPECT_TRUE(tray.IsFlashing());
    EXPECT_TRUE(WaitFor([&] { return !tray.IsFlashing(); }));
    EXPECT_EQ(tray.CurrentIconId(), 128);
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Pellwick"));
}

TEST_F(CTaskBarIconTest, MessageReplacesANewUserFlashButNothingReplacesAMessageFlash)
{
    Request(FlashTrayEvent::FLASH_NEW_USER);
    Request(FlashTrayEvent::FLASH_INCOMING_MESSAGE);
    ASSERT_TRUE(WaitFor([&] { return tray.ToolTip() == QStringLiteral("Incoming Message"); }));

    Request(FlashTrayEvent::FLASH_NEW_USER);
    Request(FlashTrayEvent::FLASH_INCOMING_MESSAGE);
    // The message flash goes on switching between its two icons and never ends by itself.
    std::set<int> seen;
    EXPECT_FALSE(WaitFor(
        [&] {
            seen.insert(tray.CurrentIconId());
            return !tray.IsFlashing();
        },
        std::chrono::milliseconds(200)));
    EXPECT_EQ(seen, (std::set<int>{161, 162}));
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Incoming Message"));
}

TEST_F(CTaskBarIconTest, ClickStopsAFlashAndOpensTheWindowItWasAbout)
{
    tray.OnLButtonDown();
    Request(FlashTrayEvent::FLASH_INCOMING_MESSAGE);
    tray.OnLButtonDown();
    EXPECT_FALSE(tray.IsFlashing());
    EXPECT_EQ(tray.CurrentIconId(), 128);
    Request(FlashTrayEvent::FLASH_NEW_USER);
    tray.OnLButtonDown();
    EXPECT_EQ(commands.commands, (std::vector<int>{ID_SHOW_ONLINE, ID_SHOW_HISTORY, ID_SHOW_ONLINE}));

    // Requests still queued from the stopped flashes change nothing.
    QCoreApplication::processEvents();
    EXPECT_EQ(tray.CurrentIconId(), 128);
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Pellwick"));
}

TEST_F(CTaskBarIconTest, RightClickShowsTheMenuOnlyWhileNothingFlashes)
{
    Request(FlashTrayEvent::FLASH_INCOMING_MESSAGE);
    tray.OnRButtonDown(QPoint(10, 10));
    EXPECT_FALSE(tray.Menu()->isVisible());
    tray.OnLButtonDown();

    tray.OnRButtonDown(QPoint(10, 10));
    EXPECT_TRUE(tray.Menu()->isVisible());
    EXPECT_FALSE(History(tray.Menu())->isEnabled());
    tray.Menu()->hide();

    commands.hasMessages = true;
    tray.OnRButtonDown(QPoint(10, 10));
    EXPECT_TRUE(History(tray.Menu())->isEnabled());
    History(tray.Menu())->trigger();
    EXPECT_EQ(commands.commands.back(), ID_SHOW_HISTORY);
}

TEST_F(CTaskBarIconTest, ToolTipIsCutTo63CharactersAndAMissingIconKeepsTheShownOne)
{
    tray.SetIcon(9999, QString(70, QLatin1Char('x')));
    EXPECT_EQ(tray.ToolTip(), QString(63, QLatin1Char('x')));
    EXPECT_EQ(tray.CurrentIconId(), 128);
}

TEST_F(CTaskBarIconTest, TheIncomingWindowInFrontStopsOnlyAnIncomingMessageFlash)
{
    Request(FlashTrayEvent::FLASH_NEW_USER);
    tray.StopIncomingFlash();
    EXPECT_TRUE(tray.IsFlashing());

    Request(FlashTrayEvent::FLASH_INCOMING_MESSAGE);
    ASSERT_TRUE(tray.IsFlashing());
    tray.StopIncomingFlash();
    EXPECT_FALSE(tray.IsFlashing());
    EXPECT_EQ(tray.CurrentIconId(), 128);
    EXPECT_EQ(tray.ToolTip(), QStringLiteral("Pellwick"));
    // Nothing is opened: the window is in front already.
    EXPECT_TRUE(commands.commands.empty());
}
