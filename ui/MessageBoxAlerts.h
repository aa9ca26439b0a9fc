#pragma once

#include "platform/AlertSink.h"
#include "platform/PostedEventOrder.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QMessageBox;

// Shows failures in message boxes: plain text, one OK button, always on the GUI thread. A
// call from another thread posts the request and returns at once; a call on the GUI thread
// opens the box and returns too, so a caller never sits in a nested event loop.
class MessageBoxAlerts : public QObject, public AlertSink {
    Q_OBJECT

public:
    explicit MessageBoxAlerts(QObject* parent = nullptr);
    ~MessageBoxAlerts() override;

    void ShowAlert(const QString& text) override;

    // The boxes still open, oldest first.
    std::vector<QMessageBox*> OpenBoxes() const;
    // Calls done once no box is open any more (at once when none is).
    void WhenAllClosed(std::function<void()> done);

protected:
    bool event(QEvent* event) override;

private:
    void Open(const QString& text);
    void OnBoxClosed();

    std::vector<QPointer<QMessageBox>> m_boxes;
    std::function<void()> m_whenAllClosed;
    PostedEventOrder m_postOrder;
};
