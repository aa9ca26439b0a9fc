#include "prefs/CRegistry.h"

#include "platform/AlertSink.h"
#include "platform/Windows1251.h"

#include <QtEndian>

#include <limits>

namespace {

// What the program reads a value into.
constexpr qsizetype kQueryBufferSize = 256;

struct SplitPath {
    QString key;
    QString item;
};

QString FullPath(QStringView company, QStringView product, QStringView path)
{
    QString full = QStringLiteral("SOFTWARE\\");
    if (!company.isEmpty()) {
        full += company;
        full += u'\\';
    }
    full += product;
    full += u'\\';
    full += path;
    return full;
}

// The last backslash separates the key from the item; without one the item is an item of
// the hive's root. An item ending the path with a backslash is the key's default value.
SplitPath SplitRegistryPath(const QString& fullPath)
{
    const qsizetype slash = fullPath.lastIndexOf(u'\\');
    if (slash < 0)
        return {QString(), fullPath};
    return {fullPath.left(slash), fullPath.mid(slash + 1)};
}

// The program's text as it would come back from the registry: through Windows-1251.
QString AnsiText(QStringView text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return Windows1251::Decode(Windows1251::Encode(nul < 0 ? text : text.left(nul)));
}

// The bytes an ANSI query hands over: string types converted to Windows-1251, NULs kept.
QByteArray AnsiData(const RegistryValue& value)
{
    return value.IsStringType() ? Windows1251::Encode(value.Utf16()) : value.data;
}

bool RegistryDataToString(const QByteArray& buffer, std::uint32_t type, QString& text)
{
    switch (type) {
    case RegistryType::String:
    case RegistryType::ExpandString:
        text = Windows1251::Decode(buffer.constData(), static_cast<std::size_t>(buffer.size()));
        return true;
    case RegistryType::Binary:
        text = QStringLiteral("Binary data");
        return false;
    case RegistryType::Dword: {
        char number[4] = {};
        std::copy_n(buffer.constData(), std::min<qsizetype>(buffer.size(), 4), number);
        text = QString::number(qFromLittleEndian<qint32>(number));
        return true;
    }
    default:
        text = QStringLiteral("Can't convert to string");
        return false;
    }
}

// atol: leading blanks, an optional sign, decimal digits up to the first other character.
// Out-of-range text stops at the limits of a 32-bit long.
std::int32_t Atol(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        magnitude = std::min(magnitude * 10 + (text[i].unicode() - u'0'), kLimit);
    const std::int64_t number = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(number, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Why the settings file could not be written, in the user's words.
QString FailureText(RegistryStore::WriteFailure failure)
{
    using enum RegistryStore::WriteFailure;
    switch (failure) {
    case LockHeld:
        return QStringLiteral("файл занят другой программой");
    case ReadOnlyFile:
        return QStringLiteral("файл только для чтения");
    case DiskFull:
        return QStringLiteral("на диске нет места");
    case NotWritable:
        return QStringLiteral("в папку нельзя писать");
    case Unreadable:
        return QStringLiteral("файл нельзя прочитать");
    case Other:
        break;
    }
    return QStringLiteral("ошибка записи");
}

} // namespace

CRegistry::CRegistry(QString filePath)
    : m_store(std::move(filePath))
{
}

void CRegistry::ReportWriteFailuresTo(AlertSink& alerts)
{
    m_store.ReportFailureTo([&alerts, path = m_store.FilePath()](RegistryStore::WriteFailure failure) {
        alerts.ShowAlert(QStringLiteral("Настройки не удалось сохранить в файл %1: %2. Выбранное действует до "
                                        "выхода из программы; сохранить его программа попробует ещё.")
                             .arg(path, FailureText(failure)));
    });
}

bool CRegistry::WriteString(QStringView company, QStringView product, QStringView path, QStringView text)
{
    return WriteStrings(company, product, {{path.toString(), text.toString()}});
}

bool CRegistry::WriteStrings(QStringView company, QStringView product, const QList<std::pair<QString, QString>>& values)
{
    QList<RegistryStore::Write> writes;
    writes.reserve(values.size());
    for (const auto& [path, text] : values) {
        SplitPath split = SplitRegistryPath(FullPath(company, product, path));
        writes.append({std::move(split.key), std::move(split.item), RegistryValue::FromText(AnsiText(text))});
    }
    return m_store.SetValues(writes);
}

bool CRegistry::DeleteValues(QStringView company, QStringView product, const QStringList& paths)
{
    QList<RegistryStore::Write> writes;
    for (const QString& path : paths) {
        SplitPath split = SplitRegistryPath(FullPath(company, product, path));
        writes.append({std::move(split.key), std::move(split.item), {}, true});
    }
    return m_store.SetValues(writes);
}

bool CRegistry::WriteNumber(QStringView company, QStringView product, QStringView path, std::int32_t number)
{
    return WriteString(company, product, path, QString::number(number));
}

bool CRegistry::KeyExists(QStringView company, QStringView product, QStringView path)
{
    return m_store.KeyExists(SplitRegistryPath(FullPath(company, product, path)).key);
}

bool CRegistry::ReadString(QStringView company, QStringView product, QStringView path, QString& text)
{
    const SplitPath split = SplitRegistryPath(FullPath(company, product, path));
    const std::optional<RegistryValue> value = m_store.Value(split.key, split.item);
    if (!value)
        return false;
    const QByteArray buffer = AnsiData(*value);
    if (buffer.size() > kQueryBufferSize)
        return false;
    return RegistryDataToString(buffer, value->type, text);
}

bool CRegistry::ReadNumber(QStringView company, QStringView product, QStringView path, std::int32_t& number)
{
    QString text;
    if (!ReadString(company, product, path, text))
        return false;
    number = Atol(text);
    return true;
}
