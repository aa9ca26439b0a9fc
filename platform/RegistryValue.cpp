#include "platform/RegistryValue.h"

#include <QtEndian>

RegistryValue RegistryValue::FromText(QStringView text, std::uint32_t type)
{
    RegistryValue value{type, {}};
    value.data.resize((text.size() + 1) * 2);
    char* out = value.data.data();
    for (const QChar ch : text) {
        qToLittleEndian<quint16>(ch.unicode(), out);
        out += 2;
    }
    qToLittleEndian<quint16>(0, out);
    return value;
}

RegistryValue RegistryValue::FromDword(std::uint32_t number)
{
    RegistryValue value{RegistryType::Dword, QByteArray(4, '\0')};
    qToLittleEndian<quint32>(number, value.data.data());
    return value;
}

bool RegistryValue::IsStringType() const
{
    return type == RegistryType::String || type == RegistryType::ExpandString || type == RegistryType::MultiString;
}

QString RegistryValue::Utf16() const
{
    QString text(data.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(data.constData() + 2 * i));
    return text;
}
