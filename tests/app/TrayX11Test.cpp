// Runs under a private Xvfb: with the trayer tray host (WITH_TRAY=1) or without any.
#include "app/CTaskBarIcon.h"
#include "app/TrayCommands.h"
#include "support/PrivateNetwork.h"
#include "support/QtPrinters.h"
#include "support/RecordingAlertSink.h"
#include "support/WaitFor.h"

#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

bool HasTrayHost()
{
    return qEnvironmentVariable("WITH_TRAY") == u"1";
}

QByteArray Xdotool(const QString& arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments.split(u' '));
    process.waitForFinished(5000);
    return process.readAllStandardOutput().trimmed();
}

// The first visible window with this name (the tray host's panel is "panel"); empty if none.
QString Window(const QString& name)
{
    return QString::fromUtf8(Xdotool(u"search --onlyvisible --name ^%1$"_s.arg(name)).split('\n').value(0));
}

QRect Geometry(const QString& window)
{
    const QString text = QString::fromUtf8(Xdotool(u"getwindowgeometry "_s + window));
    const auto match = QRegularExpression(u"Position: (\\d+),(\\d+).*Geometry: (\\d+)x(\\d+)"_s,
                                          QRegularExpression::DotMatchesEverythingOption)
                           .match(text);
    return match.hasMatch() ? QRect(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                                    match.captured(4).toInt())
                            : QRect();
}

// The tray host's panel once an icon is docked in it: its whole area is the docked icons.
QPoint DockedIcon()
{
    QRect panel;
    WaitFor([&] { return (panel = Geometry(Window(u"panel"_s))).width() >= 16; });
    return panel.center();
}

// Clicks until what the click should bring about happens: a click that comes while the tray
// host is still embedding the icon is lost, and a right click while the icon flashes (for a
// copy's own arrival) is refused, so each is repeated, slower than a double click.
template <typename Condition> bool ClickUntil(QPoint where, int button, Condition happened)
{
    return WaitFor(
        [&] {
            Xdotool(u"mousemove %1 %2 click %3"_s.arg(where.x()).arg(where.y()).arg(button));
            return WaitFor(happened, 700ms);
        },
        15s);
}

class RecordingCommands : public TrayCommands {
public:
    void OnTrayCommand(int commandId) override { commands.push_back(commandId); }
    bool HasIncomingMessages() const override { return false; }
    std::vector<int> commands;
};

class TrayX11Test : public ::testing::Test {
protected:
    RecordingCommands commands;
    RecordingAlertSink alerts;
    CTaskBarIcon tray{commands, alerts};
};

} // namespace

TEST_F(TrayX11Test, IconDocksInTheTrayAndTakesClicks)
{
    if (!HasTrayHost())
        GTEST_SKIP() << "needs the tray host";
    ASSERT_TRUE(tray.ShowNormalIcon());
    ASSERT_TRUE(WaitFor([&] { return tray.IsInTray(); }));
    const QPoint icon = DockedIcon();
    EXPECT_FALSE(tray.StandIn()->isVisible());
    EXPECT_TRUE(ClickUntil(icon, 1, [&] { return !commands.commands.empty(); }));
    EXPECT_EQ(commands.commands, std::vector<int>{ID_SHOW_ONLINE});
    EXPECT_TRUE(ClickUntil(icon, 3, [&] { return tray.Menu()->isVisible(); }));
    tray.Menu()->hide();
}

TEST_F(TrayX11Test, WithoutATrayHostTheStandInWindowShows)
{
    if (HasTrayHost())
        GTEST_SKIP() << "needs a desktop without a tray host";
    ASSERT_TRUE(tray.ShowNormalIcon());
    EXPECT_TRUE(WaitFor([&] { return tray.StandIn()->isVisible(); }));
    EXPECT_FALSE(tray.IsInTray());
}

TEST(TrayX11ProgramTest, TheProgramShowsItsOnlineWindowAndEndsWithShutdown)
{
    if (!HasTrayHost())
        GTEST_SKIP() << "needs the tray host";
    // The program announces itself on its port: never on the machine's own network.
    if (const std::string reason = PrivateNetwork::WhyNotPrivate(); !reason.empty())
        GTEST_SKIP() << "does not start the program outside a private network: " << reason;
    QTemporaryDir config;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("PELLWICK_PROGRAM"), {});
    ASSERT_TRUE(program.waitForStarted());
    const QPoint icon = DockedIcon();

    // A left click shows the Online window in the lower right corner of the screen; Escape
    // hides it.
    QString online;
    ASSERT_TRUE(ClickUntil(icon, 1, [&] { return !(online = Window(u"Online"_s)).isEmpty(); }));
    EXPECT_GT(Geometry(online).x(), 1280 / 2);
    EXPECT_GT(Geometry(online).y(), 800 / 2);
    Xdotool(u"key --window %1 Escape"_s.arg(online));
    ASSERT_TRUE(WaitFor([&] { return Window(u"Online"_s).isEmpty(); }));

    // The menu's last item, "Shutdown", ends the program with 0.
    const QByteArray before = Xdotool(u"search --onlyvisible --class pellwick"_s);
    ASSERT_TRUE(ClickUntil(
        icon, 3, [&] { return Xdotool(u"search --onlyvisible --class pellwick"_s).count('\n') > before.count('\n'); }));
    Xdotool(u"key Up Return"_s);
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}
