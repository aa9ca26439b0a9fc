#include "ui/PaletteWatch.h"

#include <QCoreApplication>
#include <QEvent>

PaletteWatch& PaletteWatch::Instance()
{
    static PaletteWatch watch;
    return watch;
}

PaletteWatch::PaletteWatch()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool PaletteWatch::eventFilter(QObject* watched, QEvent* event)
{
    // The application object hears of a new palette once, before the widgets are repainted.
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange)
        Q_EMIT Changed();
    return false;
}
