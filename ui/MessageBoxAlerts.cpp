#include "ui/MessageBoxAlerts.h"

#include <QEvent>
#include <QMessageBox>
#include <QThread>

namespace {

// A request from another thread to show a box.
class AlertEvent : public QEvent {
public:
    static Type EventType()
    {
        static const auto type = static_cast<Type>(registerEventType());
        return type;
    }

    explicit AlertEvent(const QString& text)
        : QEvent(EventType())
        , m_strText(text)
    {
    }

    const QString m_strText;
};

} // namespace

MessageBoxAlerts::MessageBoxAlerts(QObject* parent)
    : QObject(parent)
{
    m_postOrder.Watch(this);
}

MessageBoxAlerts::~MessageBoxAlerts()
{
    for (const QPointer<QMessageBox>& box : m_boxes)
        delete box.data();
}

void MessageBoxAlerts::ShowAlert(const QString& text)
{
    if (QThread::currentThread() == thread())
        Open(text);
    else
        PostedEventOrder::Post(this, new AlertEvent(text));
}

bool MessageBoxAlerts::event(QEvent* event)
{
    if (event->type() != AlertEvent::EventType())
        return QObject::event(event);
    Open(static_cast<AlertEvent*>(event)->m_strText);
    return true;
}

void MessageBoxAlerts::Open(const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Pellwick"), text, QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QObject::destroyed, this, &MessageBoxAlerts::OnBoxClosed, Qt::QueuedConnection);
    m_boxes.emplace_back(box);
    box->show();
    box->raise();
    box->activateWindow();
}

std::vector<QMessageBox*> MessageBoxAlerts::OpenBoxes() const
{
    std::vector<QMessageBox*> boxes;
    for (const QPointer<QMessageBox>& box : m_boxes)
        if (box)
            boxes.push_back(box.data());
    return boxes;
}

void MessageBoxAlerts::WhenAllClosed(std::function<void()> done)
{
    m_whenAllClosed = std::move(done);
    OnBoxClosed();
}

void MessageBoxAlerts::OnBoxClosed()
{
    std::erase_if(m_boxes, [](const QPointer<QMessageBox>& box) { return box.isNull(); });
    if (m_boxes.empty() && m_whenAllClosed)
        std::exchange(m_whenAllClosed, nullptr)();
}
