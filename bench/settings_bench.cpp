// The settings file at its worst: what start-up does with it (every window loads its
// appearance) when one key holds many values, and one appearance save.
// Usage: settings_bench load [values]   (32000 by default): times the loads
//        settings_bench save FILE         one save of the Chat Room's appearance into FILE;
//        count its file operations with
//        strace -f -e trace=rename,renameat,renameat2,fsync,fdatasync settings_bench save FILE
#include "prefs/CRegistry.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesInMessage.h"
#include "prefs/PreferencesLayout.h"
#include "prefs/PreferencesOnline.h"
#include "prefs/PreferencesSendMessage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

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
    std::fprintf(stderr, "usage: settings_bench load [values] | save FILE\n");
    return 2;
}
