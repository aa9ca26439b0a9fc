#include "platform/RegistryHive.h"

namespace {

constexpr qsizetype kMaxKeyNameLength = 255;
constexpr qsizetype kMaxValueNameLength = 16383;

bool HoldsLineBreakOrNul(QStringView text)
{
    for (const QChar ch : text) {
        if (ch == u'\n' || ch == u'\r' || ch == u'\0')
            return true;
    }
    return false;
}

QString Folded(QStringView text)
{
    return text.toString().toCaseFolded();
}

} // namespace

bool RegistryHive::IsValidKeyPath(QStringView path)
{
    if (path.isEmpty())
        return true;
    if (HoldsLineBreakOrNul(path))
        return false;
    for (const QStringView component : path.tokenize(u'\\')) {
        if (component.isEmpty() || component.size() > kMaxKeyNameLength)
            return false;
    }
    return true;
}

bool RegistryHive::IsValidValueName(QStringView name)
{
    return name.size() <= kMaxValueNameLength && !HoldsLineBreakOrNul(name);
}

bool RegistryHive::KeyExists(QStringView path) const
{
    return path.isEmpty() || Find(path) != nullptr;
}

const RegistryValue* RegistryHive::Value(QStringView keyPath, QStringView name) const
{
    const Key* key = Find(keyPath);
    const qsizetype index = key ? IndexOfValue(*key, name) : -1;
    return index < 0 ? nullptr : &key->values[index].second;
}

bool RegistryHive::CreateKey(QStringView path)
{
    if (!IsValidKeyPath(path))
        return false;
    Create(path);
    return true;
}

bool RegistryHive::SetValue(QStringView keyPath, QStringView name, RegistryValue value)
{
    if (!IsValidKeyPath(keyPath) || !IsValidValueName(name))
        return false;
    Key& key = Create(keyPath);
    // One hash lookup per value keeps reading a key of many values linear in its size.
    QString folded = Folded(name);
    if (const auto found = key.valueIndex.constFind(folded); found != key.valueIndex.cend()) {
        key.values[*found].second = std::move(value);
        return true;
    }
    key.valueIndex.insert(std::move(folded), key.values.size());
    key.values.append({name.toString(), std::move(value)});
    return true;
}

void RegistryHive::RemoveValue(QStringView keyPath, QStringView name)
{
    Key* key = Find(keyPath);
    const qsizetype index = key ? IndexOfValue(*key, name) : -1;
    if (index < 0)
        return;
    key->values.removeAt(index);
    key->valueIndex.remove(Folded(name));
    for (qsizetype& position : key->valueIndex)
        if (position > index)
            --position;
}

qsizetype RegistryHive::IndexOfValue(const Key& key, QStringView name)
{
    return key.valueIndex.value(Folded(name), -1);
}

qsizetype RegistryHive::IndexOf(QStringView path) const
{
    return m_index.value(Folded(path), -1);
}

RegistryHive::Key* RegistryHive::Find(QStringView path)
{
    // The list is shared with copies of the hive: non-const access detaches it.
    const qsizetype index = IndexOf(path);
    return index < 0 ? nullptr : &m_keys[index];
}

const RegistryHive::Key* RegistryHive::Find(QStringView path) const
{
    const qsizetype index = IndexOf(path);
    return index < 0 ? nullptr : &m_keys[index];
}

RegistryHive::Key& RegistryHive::Create(QStringView path)
{
    if (Key* existing = Find(path))
        return *existing;
    // Parents first, so that creation order lists every key after the keys above it.
    const qsizetype slash = path.lastIndexOf(u'\\');
    if (slash > 0)
        Create(path.left(slash));
    m_index.insert(Folded(path), m_keys.size());
    m_keys.append({path.toString(), {}, {}});
    return m_keys.last();
}
