// Chat append: lines arrive in a shown Chat Room as the listener posts them, and each is
// timed from its post until the window has drawn it (appended, measured, scrolled into view
// and painted). Prints the cost per line around 1,000, 10,000 and 100,000 lines: median, p99
// and the worst of a window of 500 lines ending there. The goal is a flat cost with the p99
// under 1 ms. The sound of each line is left out: it is timed by the audio tests.
// Usage: chat_append_bench [lines], 100000 by default.
#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "prefs/CRegistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kWindow = 500;

double ThreadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void Report(const char* what, std::vector<double> window, int lines)
{
    std::sort(window.begin(), window.end());
    const auto at = [&](double share) { return window[static_cast<std::size_t>(share * (window.size() - 1))]; };
    std::printf("%7d lines, %s: median %.3f ms  p99 %.3f ms  max %.3f ms\n", lines, what, at(0.5), at(0.99),
                window.back());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(kWindow, std::atoi(argv[1])) : 100000;

    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    CChatDialog window(registry, [](int) {});
    window.show();
    QApplication::processEvents();

    std::vector<int> marks;
    for (int mark : {1000, 10000, 100000})
        if (mark <= lines)
            marks.push_back(mark);
    if (marks.empty() || marks.back() != lines)
        marks.push_back(lines);

    // Wall time counts what other processes on the machine take from us; the GUI thread's
    // CPU time is the cost of the line itself.
    std::vector<double> costs;
    std::vector<double> cpuCosts;
    costs.reserve(static_cast<std::size_t>(lines));
    cpuCosts.reserve(static_cast<std::size_t>(lines));
    QElapsedTimer timer;
    for (int i = 1; i <= lines; ++i) {
        // Lines of one to three wrapped rows, as a conversation has them.
        QString text = QStringLiteral("line %1 ").arg(i) + QString(i % 3 * 40, QLatin1Char('x'));
        const double cpu = ThreadCpuMs();
        timer.start();
        window.AddLine(QStringLiteral("pwa1"), text);
        // The line, then the paint it asked for.
        QApplication::processEvents();
        QApplication::processEvents();
        costs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpuCosts.push_back(ThreadCpuMs() - cpu);
        if (std::find(marks.begin(), marks.end(), i) != marks.end()) {
            Report("wall", std::vector<double>(costs.end() - kWindow, costs.end()), i);
            Report("cpu ", std::vector<double>(cpuCosts.end() - kWindow, cpuCosts.end()), i);
        }
    }
    const bool newestShown = window.ChatList()->GetTopIndex() >= lines - 20 && window.ChatList()->GetCount() == lines;
    std::printf("kept %d lines, newest in view: %s\n", window.ChatList()->GetCount(), newestShown ? "yes" : "no");
    return newestShown ? 0 : 1;
}
