#include "ui/MessageBoxAlerts.h"

#include <QMessageBox>
#include <QThread>

MessageBoxAlerts::MessageBoxAlerts(QObject* parent)
    : QObject(parent)
{
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
        QMetaObject::invokeMethod(this, [this, text] { Open(text); }, Qt::QueuedConnection);
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
