#pragma once

#include <QString>

// Shows a failure to the user. Callable from any thread and never blocks the caller: the GUI
// implementation posts a request and shows a plain-text message box on the GUI thread.
class AlertSink {
public:
    virtual ~AlertSink() = default;
    virtual void ShowAlert(const QString& text) = 0;
};
