#include "app/TrayStandIn.h"

#include "app/CTaskBarIcon.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

TrayStandIn::TrayStandIn(CTaskBarIcon& tray)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_tray(tray)
    , m_pIcon(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Pellwick"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pIcon);
    setFixedSize(40, 40);
}

void TrayStandIn::SetIcon(const QIcon& icon)
{
    setWindowIcon(icon);
    m_pIcon->setPixmap(icon.pixmap(32, 32));
}

void TrayStandIn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_tray.OnLButtonDown();
    else if (event->button() == Qt::RightButton)
        m_tray.OnRButtonDown(event->globalPosition().toPoint());
}

void TrayStandIn::closeEvent(QCloseEvent* event)
{
    // The stand-in is the program's only way in: it cannot be closed, only the program shut down.
    event->ignore();
}
