// Feeds bytes to the settings-file reader as if they were the file on disk (hand edits,
// other programs, damaged disks write it). Whatever is read must survive a write and a
// second read unchanged: the program writes back what it read.
#include "platform/RegistryFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool SameHive(const RegistryHive& a, const RegistryHive& b)
{
    if (a.Keys().size() != b.Keys().size())
        return false;
    for (qsizetype i = 0; i < a.Keys().size(); ++i) {
        if (a.Keys()[i].path != b.Keys()[i].path || a.Keys()[i].values != b.Keys()[i].values)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const RegistryFile::Parsed first = RegistryFile::Parse(bytes);
    if (!first.readable)
        return 0;
    const QByteArray written = RegistryFile::Format(first.hive);
    const RegistryFile::Parsed second = RegistryFile::Parse(written);
    Check(second.IsWhole());
    Check(SameHive(first.hive, second.hive));
    Check(RegistryFile::Format(second.hive) == written);
    return 0;
}
