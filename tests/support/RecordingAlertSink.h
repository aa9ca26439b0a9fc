#pragma once

#include "platform/AlertSink.h"

#include <QStringList>

#include <mutex>

// Stands in for the GUI's message boxes: remembers every text, from any thread.
class RecordingAlertSink : public AlertSink {
public:
    void ShowAlert(const QString& text) override
    {
        std::lock_guard lock(m_mutex);
        m_texts.append(text);
    }

    QStringList Texts() const
    {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_texts;
};
