#pragma once

// Makes GoogleTest print Qt values readably in failure messages.
#include <QByteArray>
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
QT_END_NAMESPACE
