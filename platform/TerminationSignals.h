#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (logout, kill, Ctrl+C) into a Qt signal on the GUI thread, so
// that they take the same shutdown road as the tray's "Shutdown". One instance per process.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // A signal has come since this object was made; for work that runs before the event loop
    // does (a slow start-up), which looks at this between its steps.
    bool Requested() const;

Q_SIGNALS:
    void TerminationRequested(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier* m_pNotifier = nullptr;
};
