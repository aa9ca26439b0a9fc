#include "platform/DesktopId.h"

QString DesktopId()
{
    return QStringLiteral(PELLWICK_DESKTOP_ID);
}
