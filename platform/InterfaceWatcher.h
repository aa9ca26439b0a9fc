#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Tells when the machine's network interfaces or their IPv4 addresses change: the kernel
// reports it on a routing socket, read by the thread's event loop only when something
// changed, so an idle program never wakes for it.
class InterfaceWatcher : public QObject {
public:
    explicit InterfaceWatcher(std::function<void()> changed);
    ~InterfaceWatcher() override;

    // False when the kernel's reports cannot be had; the owner must then look for itself.
    bool IsWatching() const { return m_fd >= 0; }

private:
    void OnReadable();

    std::function<void()> m_changed;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
