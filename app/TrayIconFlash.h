#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// One flash of the tray icon at a time, on the GUI thread's clock: shows the first icon, then
// switches between the two every step, for a number of steps or until stopped. Stop takes
// effect at once; a flash that was stopped or replaced says nothing more.
class TrayIconFlash : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kStep{500};

    explicit TrayIconFlash(std::chrono::milliseconds step = kStep, QObject* parent = nullptr);

    // Starts a new flash, ending the one running; count > 0: it ends by itself after that many
    // steps, 0 or less: only when stopped. The first icon is shown at once.
    void Start(int firstIcon, int secondIcon, int count);
    void Stop() { m_timer.stop(); }
    bool IsRunning() const { return m_timer.isActive(); }

Q_SIGNALS:
    void ShowIcon(int iconId);
    // The flash ran its steps: the normal icon is due.
    void RanOut();

private:
    void OnStep();

    QTimer m_timer;
    int m_nIconFirst = 0;
    int m_nIconSecond = 0;
    int m_nCount = 0;
    int m_nSteps = 0;
    bool m_bShowingFirst = true;
};
