#include "app/TrayStandIn.h"

#include "app/CTaskBarIcon.h"
#include "ui/FramePlacer.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

TrayStandIn::TrayStandIn(CTaskBarIcon& tray)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint)
    , m_tray(tray)
    , m_pIcon(new QLabel(this))
    , m_pPlacer(new FramePlacer(this))
{
    setWindowTitle(QStringLiteral("Pellwick"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pIcon);
    auto* name = new QLabel(QStringLiteral("Pellwick"), this);
    name->setTextFormat(Qt::PlainText);
    layout->addWidget(name, 1);
    // Wide enough for the title in the window manager's caption.
    setFixedSize(kSize);
}

void TrayStandIn::SetIcon(const QIcon& icon)
{
    setWindowIcon(icon);
    m_pIcon->setPixmap(icon.pixmap(32, 32));
}

void TrayStandIn::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_bPlaced)
        return;
    // Where a notification area would be: the lower right corner of the work area.
    m_bPlaced = true;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    m_pPlacer->Place([area](QSize frameSize) {
        return QRect(QPoint(area.right() + 1 - frameSize.width(), area.bottom() + 1 - frameSize.height()), frameSize);
    });
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
