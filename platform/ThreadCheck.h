#pragma once

#include <QCoreApplication>
#include <QThread>

// Thread rules that check themselves in debug builds (the sanitizer test runs are debug
// builds): windows, the tray and every send belong to the GUI thread.
inline bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

#define ASSERT_GUI_THREAD() Q_ASSERT_X(OnGuiThread(), Q_FUNC_INFO, "must run on the GUI thread")
#define ASSERT_NOT_GUI_THREAD() Q_ASSERT_X(!OnGuiThread(), Q_FUNC_INFO, "must not run on the GUI thread")
