#pragma once

#include "platform/PollableEvent.h"
#include "platform/ThreadPriority.h"

#include <QEvent>
#include <QString>

#include <chrono>
#include <thread>

class QObject;

// One flash of the tray icon: shows the first icon, then switches between the two every
// 500 ms, for a number of steps or until stopped. The thread owns no part of the tray: it
// posts each change to the tray as a request tagged with its own identity, and the tray
// applies it only while this thread is still its current flash. Nothing ever waits for the
// GUI thread here, so stopping a flash can never deadlock.
class CIconFlashThread {
public:
    static constexpr std::chrono::milliseconds kStep{500};

    // A request from a flash thread to the tray: show this icon, or (icon 0) the flash ran
    // out and the tray is to go back to its normal icon. Tagged with the flash's serial
    // number, which no later flash reuses (an address could be).
    class IconEvent : public QEvent {
    public:
        static Type EventType();
        IconEvent(quint64 serial, int iconId, const QString& tip);

        const quint64 m_nSerial;
        const int m_nIconId;
        const QString m_strTip;
    };

    // count > 0: end by itself after that many steps; 0 or less: only when stopped.
    CIconFlashThread(QObject* tray, int firstIcon, int secondIcon, int count, const QString& tip,
                     std::chrono::milliseconds step = kStep);
    ~CIconFlashThread();

    CIconFlashThread(const CIconFlashThread&) = delete;
    CIconFlashThread& operator=(const CIconFlashThread&) = delete;

    // False when the system could not make the thread or its events.
    bool Start();
    // Ends the thread and waits for it; returns at once, without waiting out a step.
    void Stop();
    bool IsDone() const { return m_hDoneEvent.IsSet(); }
    quint64 Serial() const { return m_nSerial; }

private:
    void Run();
    void Post(int iconId) const;

    QObject* const m_pTray;
    const int m_nIconFirst;
    const int m_nIconSecond;
    const int m_nCount;
    const QString m_strTip;
    const std::chrono::milliseconds m_step;
    const quint64 m_nSerial;
    PollableEvent m_hStopEvent;
    PollableEvent m_hDoneEvent;
    std::thread m_thread;
};
