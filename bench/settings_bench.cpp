// The settings file at its worst: what start-up does with it (every window loads its
// appearance) when one key holds many values, and one appearance save.
// Usage: settings_bench load [values]   (32000 by default): times the loads
//        settings_bench save FILE         one save of the Chat Room's appearance into FILE;
//        count its file operations with
//        strace -f -e trace=rename,renameat,renameat2,fsync,fdatasync settings_bench save FILE
//        settings_bench locked [seconds]  another process holds the file's lock (10 s by default)
//        while the GUI thread saves an appearance and reads settings four times a second;
//        prints the GUI thread's worst lateness, the longest settings call and the alerts
#include "prefs/CRegistry.h"
#include "prefs/GeneralSettings.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesInMessage.h"
#include "prefs/PreferencesLayout.h"
#include "prefs/PreferencesOnline.h"
#include "prefs/PreferencesSendMessage.h"

#include "platform/AlertSink.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int Load(int values)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    QByteArray text = "Windows Registry Editor Version 5.00\n\n"
                      "[HKEY_CURRENT_USER\\SOFTWARE\\Ravelstone\\Pellwick\\Preferences\\Chat Dialog]\n"
                      "\"Title\"=\"255\"\n\"TitleFontHeight\"=\"-13\"\n\"TitleFontName\"=\"Arial Cyr\"\n";
    for (int i = 0; i < values; ++i)
        text += "\"Value" + QByteArray::number(i) + "\"=\"" + QByteArray::number(i * 7919) + "\"\n";
    text += '\n';
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return 1;
    file.close();

    QElapsedTimer timer;
    timer.start();
    CRegistry registry(path);
    PreferencesChat chat;
    PreferencesInMessage incoming;
    PreferencesSendMessage sendMessage;
    PreferencesOnline online;
    LoadPreferences(registry, chat);
    LoadPreferences(registry, incoming);
    LoadPreferences(registry, online);
    LoadPreferences(registry, sendMessage);
    const qint64 ms = timer.elapsed();
    std::printf("start-up's settings work with %d values in one key (%.1f MB file): %lld ms (title height read: %d)\n",
                values, text.size() / 1e6, static_cast<long long>(ms), chat.m_fontTitle.height);
    return 0;
}

int Save(const QString& path)
{
    CRegistry registry(path);
    PreferencesChat chat;
    LoadPreferences(registry, chat); // at first start this writes the section once
    chat.m_crTitle = 0x0000FF;
    std::fprintf(stderr, "-- the save --\n");
    SavePreferences(registry, chat);
    std::fprintf(stderr, "-- saved --\n");
    return 0;
}

class CountingAlerts : public AlertSink {
public:
    void ShowAlert(const QString& text) override
    {
        ++count;
        std::printf("alert: %s\n", qPrintable(text));
    }
    std::atomic<int> count{0};
};

// Forks a process that holds the lock on path for seconds; returns its id once it holds it.
pid_t HoldLock(const QString& path, int seconds)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        const bool held = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0;
        if (write(ready[1], held ? "1" : "0", 1) != 1 || !held)
            _exit(1);
        sleep(static_cast<unsigned>(seconds));
        _exit(0);
    }
    char held = '0';
    if (child < 0 || read(ready[0], &held, 1) != 1 || held != '1')
        return -1;
    return child;
}

int Locked(int seconds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    CRegistry registry(path);
    CountingAlerts alerts;
    registry.ReportWriteFailuresTo(alerts);
    PreferencesChat chat;
    LoadPreferences(registry, chat);
    registry.Flush();
    const pid_t holder = HoldLock(path + QStringLiteral(".lock"), seconds);
    if (holder < 0)
        return 1;

    QElapsedTimer clock;
    clock.start();
    qint64 lastPing = 0;
    qint64 worstLateness = 0;
    qint64 longestCall = 0;
    int saves = 0;
    QTimer ping;
    ping.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ping, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worstLateness = std::max(worstLateness, now - lastPing - ping.interval());
        lastPing = now;
    });
    QTimer save;
    QObject::connect(&save, &QTimer::timeout, [&] {
        QElapsedTimer call;
        call.start();
        chat.m_crTitle = static_cast<COLORREF>(++saves);
        SavePreferences(registry, chat);
        PreferencesChat read;
        LoadPreferences(registry, read);
        LoadGeneralSettings(registry);
        longestCall = std::max(longestCall, call.elapsed());
        if (read.m_crTitle != chat.m_crTitle)
            std::printf("a save did not hold\n");
    });
    ping.start(10);
    save.start(250);
    QTimer::singleShot((seconds + 2) * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    waitpid(holder, nullptr, 0);
    std::int32_t inFile = -1;
    const bool written = registry.Flush()
        && CRegistry(path).ReadNumber(u"Ravelstone", u"Pellwick", u"Preferences\\Chat Dialog\\Title", inFile)
        && static_cast<COLORREF>(inFile) == chat.m_crTitle;
    std::printf("lock held by another process for %d s, %d saves: GUI thread worst lateness %lld ms, longest settings "
                "call %lld ms, alerts %d, last save in the file afterwards: %s\n",
                seconds, saves, static_cast<long long>(worstLateness), static_cast<long long>(longestCall),
                alerts.count.load(), written ? "yes" : "no");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "load")
        return Load(argc > 2 ? std::atoi(argv[2]) : 32000);
    if (mode == "save" && argc > 2)
        return Save(QString::fromLocal8Bit(argv[2]));
    if (mode == "locked")
        return Locked(argc > 2 ? std::atoi(argv[2]) : 10);
    std::fprintf(stderr, "usage: settings_bench load [values] | save FILE | locked [seconds]\n");
    return 2;
}
