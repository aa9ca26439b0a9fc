// The program under a private Xvfb, with the trayer tray host (WITH_TRAY=1) or without any: its
// icon docks in the tray, or its stand-in window shows instead, and either takes the clicks.
#include "support/PrivateNetwork.h"
#include "support/WaitFor.h"

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QByteArray Xdotool(const QString& arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments.split(u' '));
    process.waitForFinished(5000);
    return process.readAllStandardOutput().trimmed();
}

// The first visible window with this name; empty if none.
QString Window(const QString& name)
{
    return QString::fromUtf8(Xdotool(u"search --onlyvisible --name ^%1$"_s.arg(name)).split('\n').value(0));
}

QRect Geometry(const QString& window)
{
    const auto match = QRegularExpression(u"Position: (\\d+),(\\d+).*Geometry: (\\d+)x(\\d+)"_s,
                                          QRegularExpression::DotMatchesEverythingOption)
                           .match(QString::fromUtf8(Xdotool(u"getwindowgeometry "_s + window)));
    return match.hasMatch() ? QRect(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                                    match.captured(4).toInt())
                            : QRect();
}

// Clicks until what the click should bring about happens: a click that comes while the tray
// host is still embedding the icon is lost, and a right click while the icon flashes (for the
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

} // namespace

TEST(TrayX11Test, TheProgramIsReachedThroughItsIconAndEndsWithShutdown)
{
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

    // The icon: docked in the tray host's panel (whose whole area is the docked icons), with
    // no stand-in beside it; or the stand-in window.
    const bool withTray = qEnvironmentVariable("WITH_TRAY") == u"1";
    QRect icon;
    ASSERT_TRUE(
        WaitFor([&] { return (icon = Geometry(Window(withTray ? u"panel"_s : u"Pellwick"_s))).width() >= 16; }));
    EXPECT_EQ(Window(u"Pellwick"_s).isEmpty(), withTray);
    // The stand-in shows in the lower right corner of the screen, as the Online window does.
    const auto lowerRight = [](QRect window) { return window.x() > 1280 / 2 && window.y() > 800 / 2; };
    EXPECT_TRUE(withTray || lowerRight(icon));

    // A left click shows the Online window; Escape hides it.
    QString online;
    ASSERT_TRUE(ClickUntil(icon.center(), 1, [&] { return !(online = Window(u"Online"_s)).isEmpty(); }));
    EXPECT_TRUE(lowerRight(Geometry(online)));
    Xdotool(u"key --window %1 Escape"_s.arg(online));
    ASSERT_TRUE(WaitFor([&] { return Window(u"Online"_s).isEmpty(); }));

    // A right click opens the menu, a new window; its last item, "Shutdown", ends the program with 0.
    const auto windows = [] { return Xdotool(u"search --onlyvisible --class pellwick"_s).count('\n'); };
    const qsizetype before = windows();
    ASSERT_TRUE(ClickUntil(icon.center(), 3, [&] { return windows() > before; }));
    Xdotool(u"key Up Return"_s);
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}
