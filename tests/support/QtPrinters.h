#pragma once

// Makes GoogleTest print Qt values readably in failure messages.
#include <QByteArray>
#include <QRect>
#include <QString>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& value, std::ostream* os)
{
    *os << '"' << value.toStdString() << '"';
}

inline void PrintTo(const QByteArray& value, std::ostream* os)
{
    *os << "QByteArray(" << value.size() << " bytes: " << value.toHex(' ').toStdString() << ')';
}

inline void PrintTo(const QRect& value, std::ostream* os)
{
    *os << "QRect(" << value.x() << ',' << value.y() << ' ' << value.width() << 'x' << value.height() << ')';
}
QT_END_NAMESPACE
