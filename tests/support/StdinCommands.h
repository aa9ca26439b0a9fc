#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <unistd.h>

// Reads commands from standard input on the event loop, one a line, and hands each to
// onCommand; onEnd runs once standard input is closed. The system tests drive the programs in
// their hosts this way.
class StdinCommands : public QObject {
public:
    StdinCommands(std::function<void(const QString&)> onCommand, std::function<void()> onEnd, QObject* parent = nullptr)
        : QObject(parent)
        , m_notifier(STDIN_FILENO, QSocketNotifier::Read)
        , m_onCommand(std::move(onCommand))
        , m_onEnd(std::move(onEnd))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &StdinCommands::Read);
    }

private:
    void Read()
    {
        char buffer[4096];
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size <= 0) {
            m_notifier.setEnabled(false);
            m_onEnd();
            return;
        }
        m_pending.append(buffer, size);
        for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
            const QString command = QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
            m_onCommand(command);
        }
    }

    QSocketNotifier m_notifier;
    std::function<void(const QString&)> m_onCommand;
    std::function<void()> m_onEnd;
    QByteArray m_pending;
};
