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

namespace {

bool HasTrayHost()
{
    return qEnvironmentVariable("WITH_TRAY") == QStringLiteral("1");
}

QByteArray Xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(5000);
    return process.readAllStandardOutput();
}

// The tray host's panel: its whole area is the docked icons.
QRect TrayHostGeometry()
{
    const QByteArray id
        = Xdotool({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^panel$")}).split('\n').value(0);
    if (id.isEmpty())
        return {};
    const QString text = QString::fromUtf8(Xdotool({QStringLiteral("getwindowgeometry"), QString::fromUtf8(id)}));
    const auto position = QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+)")).match(text);
    const auto size = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(text);
    if (!position.hasMatch() || !size.hasMatch())
        return {};
    return QRect(position.captured(1).toInt(), position.captured(2).toInt(), size.captured(1).toInt(),
                 size.captured(2).toInt());
}

void Click(QPoint where, int button)
{
    Xdotool({QStringLiteral("mousemove"), QString::number(where.x()), QString::number(where.y()),
             QStringLiteral("click"), QString::number(button)});
}

// The visible windows of the program under test (its tray icon, its windows, its menu).
QByteArrayList VisibleWindows()
{
    return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                    QStringLiteral("pellwick")})
        .trimmed()
        .split('\n');
}

// Right-clicks until a new window, the menu, shows. While the icon flashes (for the copy's own
// arrival, a few seconds after it starts) a right click is refused by design, so it is repeated.
bool OpenMenu(QPoint icon)
{
    const QByteArrayList before = VisibleWindows();
    return WaitFor(
        [&] {
            Click(icon, 3);
            return WaitFor(
                [&] {
                    for (const QByteArray& window : VisibleWindows())
                        if (!window.isEmpty() && !before.contains(window))
                            return true;
                    return false;
                },
                std::chrono::milliseconds(700));
        },
        std::chrono::seconds(15));
}

class RecordingCommands : public TrayCommands {
public:
    void OnTrayCommand(int commandId) override { commands.push_back(commandId); }
    bool HasIncomingMessages() const override { return false; }
    std::vector<int> commands;
};

} // namespace

TEST(TrayX11Test, IconDocksInTheTrayAndTakesClicks)
{
    if (!HasTrayHost())
        GTEST_SKIP() << "needs the tray host";
    RecordingCommands commands;
    RecordingAlertSink alerts;
    CTaskBarIcon tray(commands, alerts);
    ASSERT_TRUE(tray.ShowNormalIcon());
    ASSERT_TRUE(WaitFor([&] { return tray.IsInTray() && TrayHostGeometry().width() >= 16; }));
    EXPECT_FALSE(tray.StandIn()->isVisible());

    // A click that comes while the tray host is still embedding the icon is lost: click again,
    // slower than a double click, until one arrives.
    const QPoint icon = TrayHostGeometry().center();
    EXPECT_TRUE(WaitFor(
        [&] {
            Click(icon, 1);
            return WaitFor([&] { return !commands.commands.empty(); }, std::chrono::milliseconds(700));
        },
        std::chrono::seconds(15)));
    EXPECT_EQ(commands.commands, std::vector<int>{ID_SHOW_ONLINE});

    Click(icon, 3);
    EXPECT_TRUE(WaitFor([&] { return tray.Menu()->isVisible(); }));
    tray.Menu()->hide();
}

TEST(TrayX11Test, WithoutATrayHostTheStandInWindowShows)
{
    if (HasTrayHost())
        GTEST_SKIP() << "needs a desktop without a tray host";
    RecordingCommands commands;
    RecordingAlertSink alerts;
    CTaskBarIcon tray(commands, alerts);
    ASSERT_TRUE(tray.ShowNormalIcon());
    EXPECT_TRUE(WaitFor([&] { return tray.StandIn()->isVisible(); }));
    EXPECT_FALSE(tray.IsInTray());
}

TEST(TrayX11Test, TheProgramShowsItsOnlineWindowAndEndsWithShutdown)
{
    if (!HasTrayHost())
        GTEST_SKIP() << "needs the tray host";
    // The program announces itself on its port: never on the machine's own network.
    if (const std::string reason = PrivateNetwork::WhyNotPrivate(); !reason.empty())
        GTEST_SKIP() << "does not start the program outside a private network: " << reason;
    QTemporaryDir config;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("PELLWICK_PROGRAM"), {});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(WaitFor([&] { return TrayHostGeometry().width() >= 16; }));
    const QPoint icon = TrayHostGeometry().center();

    // A left click shows the Online window in the lower right corner of the screen.
    Click(icon, 1);
    QByteArray online;
    ASSERT_TRUE(WaitFor([&] {
        online = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          QStringLiteral("^Online$")})
                     .trimmed();
        return !online.isEmpty();
    }));
    const QString geometry
        = QString::fromUtf8(Xdotool({QStringLiteral("getwindowgeometry"), QString::fromUtf8(online)}));
    const auto position = QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+)")).match(geometry);
    ASSERT_TRUE(position.hasMatch()) << geometry.toStdString();
    EXPECT_GT(position.captured(1).toInt(), 1280 / 2);
    EXPECT_GT(position.captured(2).toInt(), 800 / 2);
    Xdotool({QStringLiteral("key"), QStringLiteral("--window"), QString::fromUtf8(online), QStringLiteral("Escape")});
    ASSERT_TRUE(WaitFor([&] {
        return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                        QStringLiteral("^Online$")})
            .isEmpty();
    }));

    // The menu's last item, "Shutdown", ends the program with 0.
    ASSERT_TRUE(OpenMenu(icon));
    Xdotool({QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")});
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}
