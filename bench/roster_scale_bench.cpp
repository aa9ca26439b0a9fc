// Presence at scale: a roster and its user list fed by many simulated users, each announcing
// itself once a second, as the GUI thread sees them. Prints the GUI thread's CPU time per
// simulated second, the time of one tick, and how long joining and leaving take.
// Usage: roster_scale_bench [users] [seconds], 5000 and 20 by default.
#include "online/COnlineDialog.h"
#include "online/CUserListBox.h"
#include "prefs/CRegistry.h"
#include "session/PresenceRoster.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The roster's changes shown in the Online window, as the session's signals show them.
class OnlineView : public PresenceRoster::Changes {
public:
    explicit OnlineView(COnlineDialog& window)
        : m_window(window)
    {
    }
    void OnUserListed(const QString& name) override { m_window.AddUser(name); }
    void OnUsersDropped(const QStringList& names) override { m_window.RemoveUsers(names); }
    void OnUserChatChanged(const QString& name, bool inChat) override { m_window.SetUserInChat(name, inChat); }
    void OnUserOnTwoComputersChanged(const QString& name, bool onTwo) override
    {
        m_window.SetUserOnTwoComputers(name, onTwo);
    }

private:
    COnlineDialog& m_window;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int users = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;

    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    COnlineDialog window(registry);
    window.resize(200, 600);
    window.show();
    const CUserListBox& list = *window.UserList();
    OnlineView view(window);
    PresenceRoster roster(view);

    std::vector<QString> names;
    for (int i = 0; i < users; ++i)
        names.push_back(QStringLiteral("user%1").arg(i * 7919 % users, 5, 10, QLatin1Char('0')));

    double start = ThreadCpuMs();
    for (const QString& name : names)
        roster.OnPresence(name, 0x0a000001);
    QCoreApplication::processEvents();
    std::printf("join of %d users: %.1f ms\n", users, ThreadCpuMs() - start);

    std::vector<double> secondMs;
    std::vector<double> tickMs;
    for (int s = 0; s < seconds; ++s) {
        start = ThreadCpuMs();
        for (const QString& name : names)
            roster.OnPresence(name, 0x0a000001);
        const double tickStart = ThreadCpuMs();
        roster.Tick();
        QCoreApplication::processEvents();
        tickMs.push_back(ThreadCpuMs() - tickStart);
        secondMs.push_back(ThreadCpuMs() - start);
    }
    std::sort(secondMs.begin(), secondMs.end());
    std::sort(tickMs.begin(), tickMs.end());
    std::printf(
        "steady second (%d presence packets + tick + repaint): median %.2f ms, max %.2f ms = %.2f%% of one core\n",
        users, secondMs[secondMs.size() / 2], secondMs.back(), secondMs[secondMs.size() / 2] / 10.0);
    std::printf("tick: median %.3f ms, max %.3f ms\n", tickMs[tickMs.size() / 2], tickMs.back());

    // A fifth of the users fall silent: they must be gone on the seventh tick.
    const std::size_t staying = names.size() - names.size() / 5;
    int ticks = 1; // the last steady second ticked once after their last presence
    start = ThreadCpuMs();
    while (static_cast<int>(roster.Users().size()) > static_cast<int>(staying) && ticks < 20) {
        for (std::size_t i = 0; i < staying; ++i)
            roster.OnPresence(names[i], 0x0a000001);
        roster.Tick();
        ++ticks;
    }
    QCoreApplication::processEvents();
    std::printf("%zu silent users gone on tick %d after their last presence (%.1f ms of CPU); list holds %d items\n",
                names.size() - staying, ticks, ThreadCpuMs() - start, list.GetCount());

    return 0;
}
