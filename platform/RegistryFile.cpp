#include "platform/RegistryFile.h"

#include <QStringDecoder>
#include <QtEndian>

#include <optional>

namespace {

constexpr QStringView kHeader = u"Windows Registry Editor Version 5.00";
constexpr QStringView kHive = u"HKEY_CURRENT_USER";
// Hex data is wrapped like regedit wraps it: a line ends after the byte that passes this column.
constexpr qsizetype kWrapColumn = 76;

// Reads a quoted name or text starting at the opening quote; pos ends after the closing one.
// Only \\ and \" are escapes; any other backslash is taken as it stands, as hand edits have it.
std::optional<QString> ReadQuoted(QStringView line, qsizetype& pos)
{
    QString out;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (ch == u'"') {
            pos = i + 1;
            return out;
        }
        if (ch == u'\\' && i + 1 < line.size() && (line[i + 1] == u'\\' || line[i + 1] == u'"'))
            ++i;
        out.append(line[i]);
    }
    return std::nullopt;
}

std::optional<QByteArray> ReadHexBytes(QStringView list)
{
    QByteArray bytes;
    if (list.trimmed().isEmpty())
        return bytes;
    for (const QStringView token : list.tokenize(u',')) {
        const QStringView digits = token.trimmed();
        bool ok = false;
        const uint byte = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 2 || digits.startsWith(u'+'))
            return std::nullopt;
        bytes.append(static_cast<char>(byte));
    }
    return bytes;
}

std::optional<std::uint32_t> ReadHexNumber(QStringView digits)
{
    bool ok = false;
    const uint number = digits.toUInt(&ok, 16);
    if (!ok || digits.isEmpty() || digits.size() > 8 || digits.startsWith(u'+'))
        return std::nullopt;
    return number;
}

// One value line, with the continuation lines of hex data after it (index moves past them).
bool ReadValue(const QList<QStringView>& lines, qsizetype& index, QString& name, RegistryValue& value)
{
    QStringView line = lines[index].trimmed();
    qsizetype pos = 1;
    if (line.startsWith(u'@')) {
        name.clear();
    } else if (line.startsWith(u'"')) {
        pos = 0;
        const auto quoted = ReadQuoted(line, pos);
        if (!quoted)
            return false;
        name = *quoted;
    } else {
        return false;
    }
    QStringView rest = line.mid(pos).trimmed();
    if (!rest.startsWith(u'='))
        return false;
    rest = rest.mid(1).trimmed();

    if (rest.startsWith(u'"')) {
        qsizetype end = 0;
        const auto text = ReadQuoted(rest, end);
        if (!text || !rest.mid(end).trimmed().isEmpty())
            return false;
        value = RegistryValue::FromText(*text);
        return true;
    }
    if (rest.startsWith(u"dword:")) {
        const auto number = ReadHexNumber(rest.mid(6));
        if (!number)
            return false;
        value = RegistryValue::FromDword(*number);
        return true;
    }
    std::uint32_t type = RegistryType::Binary;
    if (rest.startsWith(u"hex(")) {
        const qsizetype close = rest.indexOf(u"):");
        const auto number = close < 0 ? std::nullopt : ReadHexNumber(rest.mid(4, close - 4));
        if (!number)
            return false;
        type = *number;
        rest = rest.mid(close + 2);
    } else if (rest.startsWith(u"hex:")) {
        rest = rest.mid(4);
    } else {
        return false;
    }
    QString list = rest.toString();
    while (list.endsWith(u'\\')) {
        list.chop(1);
        if (++index >= lines.size())
            return false;
        list += lines[index].trimmed();
    }
    const auto bytes = ReadHexBytes(list);
    if (!bytes)
        return false;
    value = RegistryValue{type, *bytes};
    return true;
}

// The key path of a section line, or nothing when it is no section of this hive.
std::optional<QString> ReadSection(QStringView line)
{
    if (!line.endsWith(u']'))
        return std::nullopt;
    const QStringView path = line.mid(1, line.size() - 2);
    if (path == kHive)
        return QString();
    if (path.size() > kHive.size() + 1 && path.startsWith(kHive) && path[kHive.size()] == u'\\')
        return path.mid(kHive.size() + 1).toString();
    return std::nullopt;
}

QString Quoted(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out.append(u'"');
    for (const QChar ch : text) {
        if (ch == u'\\' || ch == u'"')
            out.append(u'\\');
        out.append(ch);
    }
    out.append(u'"');
    return out;
}

// A string value that "name"="text" gives back exactly: one NUL at the end and none before it,
// no line break, and whole UTF-16 so that UTF-8 carries it.
bool IsPlainText(const RegistryValue& value)
{
    if (value.type != RegistryType::String || value.data.size() < 2 || value.data.size() % 2 != 0)
        return false;
    const QString units = value.Utf16();
    const QStringView text = QStringView(units).chopped(1);
    return units.back() == u'\0' && !text.contains(u'\0') && !text.contains(u'\n') && !text.contains(u'\r')
        && text.isValidUtf16();
}

void AppendHex(QString& out, const QByteArray& bytes)
{
    qsizetype column = out.size() - out.lastIndexOf(u'\n') - 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += QString::number(static_cast<uchar>(bytes[i]), 16).rightJustified(2, u'0');
        column += 2;
        if (i + 1 == bytes.size())
            break;
        out += u',';
        ++column;
        if (column > kWrapColumn) {
            out += QStringLiteral("\\\n  ");
            column = 2;
        }
    }
}

void AppendValue(QString& out, const QString& name, const RegistryValue& value)
{
    out += name.isEmpty() ? QStringLiteral("@") : Quoted(name);
    out += u'=';
    if (IsPlainText(value)) {
        out += Quoted(QStringView(value.Utf16()).chopped(1));
    } else if (value.type == RegistryType::Dword && value.data.size() == 4) {
        const quint32 number = qFromLittleEndian<quint32>(value.data.constData());
        out += QStringLiteral("dword:") + QString::number(number, 16).rightJustified(8, u'0');
    } else {
        out += value.type == RegistryType::Binary
            ? QStringLiteral("hex:")
            : QStringLiteral("hex(") + QString::number(value.type, 16) + QStringLiteral("):");
        AppendHex(out, value.data);
    }
    out += u'\n';
}

} // namespace

namespace RegistryFile {

Parsed Parse(const QByteArray& bytes)
{
    Parsed result;
    QByteArrayView body(bytes);
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    if (body.contains('\0'))
        return result;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(body);
    if (decoder.hasError())
        return result;

    QList<QStringView> lines = QStringView(text).split(u'\n');
    for (QStringView& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    qsizetype index = 0;
    while (index < lines.size() && lines[index].trimmed().isEmpty())
        ++index;
    if (index == lines.size() || lines[index].trimmed() != kHeader)
        return result;
    result.readable = true;
    result.truncated = !bytes.endsWith('\n');

    std::optional<QString> key;
    for (++index; index < lines.size(); ++index) {
        const QStringView line = lines[index].trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            key = ReadSection(line);
            if (!key || !result.hive.CreateKey(*key)) {
                key.reset();
                ++result.unreadableLines;
            }
            continue;
        }
        QString name;
        RegistryValue value;
        if (!key || !ReadValue(lines, index, name, value) || !result.hive.SetValue(*key, name, value))
            ++result.unreadableLines;
    }
    return result;
}

QByteArray Format(const RegistryHive& hive)
{
    QString out = kHeader.toString() + QStringLiteral("\n\n");
    for (const RegistryHive::Key& key : hive.Keys()) {
        out += u'[';
        out += kHive;
        if (!key.path.isEmpty())
            out += u'\\' + key.path;
        out += QStringLiteral("]\n");
        for (const auto& [name, value] : key.values)
            AppendValue(out, name, value);
        out += u'\n';
    }
    return out.toUtf8();
}

} // namespace RegistryFile
