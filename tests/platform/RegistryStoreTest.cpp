#include "platform/RegistryStore.h"
#include "platform/RegistryFile.h"
#include "support/FileBytes.h"
#include "support/PrivateNetwork.h"
#include "support/QtPrinters.h"
#include "support/RegistryPrinters.h"
#include "support/WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <functional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kKey = QStringLiteral("SOFTWARE\\Ravelstone\\Pellwick\\Preferences\\Chat Dialog");
const QByteArray kHeader = "Windows Registry Editor Version 5.00\n";

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class RegistryStoreTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    const QString m_path = m_dir.path() + QStringLiteral("/pellwick/registry.reg");
};

} // namespace

TEST_F(RegistryStoreTest, TheFirstWriteCreatesEveryKeyAboveAndEachReadTakesChangesMadeByHandOrByAnotherStore)
{
    RegistryStore store(m_path);
    EXPECT_FALSE(store.KeyExists(u"SOFTWARE"));
    ASSERT_TRUE(store.SetValue(kKey, u"Title", RegistryValue::FromText(u"1")));
    EXPECT_TRUE(store.KeyExists(u"Software\\Ravelstone\\Pellwick\\Preferences"));
    // One bad path among several values: none of them is taken.
    EXPECT_FALSE(store.SetValues({{kKey, QStringLiteral("Title"), RegistryValue::FromText(u"x")},
                                  {QStringLiteral("SOFTWARE\\\\Empty component"), QStringLiteral("X"), {}}}));
    EXPECT_EQ(store.Value(kKey, u"Title"), RegistryValue::FromText(u"1"));
    ASSERT_TRUE(store.Flush());
    EXPECT_EQ(QFileInfo(m_path).permissions() & (QFile::ReadOther | QFile::WriteOther), 0);

    RegistryStore other(m_path);
    ASSERT_TRUE(other.SetValue(kKey, u"Text", RegistryValue::FromText(u"2")));
    ASSERT_TRUE(other.Flush());
    EXPECT_EQ(store.Value(kKey, u"Text"), RegistryValue::FromText(u"2"));
    QByteArray edited = FileBytes(m_path);
    edited.replace("\"Title\"=\"1\"", "\"Title\"=\"16777215\"");
    WriteAll(m_path, edited);
    EXPECT_EQ(store.Value(kKey, u"Title"), RegistryValue::FromText(u"16777215"));
    // Its next write keeps both the hand edit and the other store's value.
    ASSERT_TRUE(store.SetValue(kKey, u"Background", RegistryValue::FromDword(7)));
    ASSERT_TRUE(store.Flush());
    EXPECT_EQ(other.Value(kKey, u"Title"), RegistryValue::FromText(u"16777215"));
    EXPECT_EQ(other.Value(kKey, u"Text"), RegistryValue::FromText(u"2"));
}

TEST_F(RegistryStoreTest, ADamagedOrHugeFileIsSetAsideAndWrittenAfreshWithWhatCouldBeRead)
{
    const QByteArray whole = kHeader + "\n[HKEY_CURRENT_USER\\A]\n\"Kept\"=\"1\"\n\"Cut\"=hex:00,01,\\\n";
    const QByteArray cases[] = {
        QByteArray("\x00\x9c\xffgarbage\x01", 11),
        whole,
        // Far larger than any settings: set aside unread, though every line could be read.
        whole + QByteArray(RegistryStore::kMaxFileSize + 1 - whole.size(), '\n'),
    };
    for (const QByteArray& damaged : cases) {
        SCOPED_TRACE(damaged.left(40).toStdString());
        WriteAll(m_path, damaged);
        RegistryStore store(m_path);
        const bool keptLines = damaged.startsWith(kHeader) && damaged.size() <= RegistryStore::kMaxFileSize;
        EXPECT_EQ(store.Value(u"A", u"Kept").has_value(), keptLines);
        ASSERT_TRUE(store.Flush()); // the reader's find is set aside by the writer thread
        EXPECT_TRUE(FileBytes(m_path + QStringLiteral(".bad")) == damaged); // replacing the older one
        ASSERT_TRUE(store.SetValue(u"B", u"New", RegistryValue::FromText(u"2")));
        ASSERT_TRUE(store.Flush());
        const RegistryFile::Parsed fresh = RegistryFile::Parse(FileBytes(m_path));
        EXPECT_TRUE(fresh.IsWhole());
        EXPECT_EQ(fresh.hive.KeyExists(u"A"), keptLines);
        EXPECT_EQ(*fresh.hive.Value(u"B", u"New"), RegistryValue::FromText(u"2"));
    }
}

// Each cause (on a file system of the test's own) leaves the file, holds the change, is told once.
TEST_F(RegistryStoreTest, AWriteThatFailsLeavesTheFileHoldsTheChangeIsReportedOnceAndGoesOutLater)
{
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "the store's thread would start in a forked child, which ThreadSanitizer does not allow";
#endif
    using enum RegistryStore::WriteFailure;
    const QString folder = QFileInfo(m_path).absolutePath();
    const QByteArray where = QFile::encodeName(folder);
    const QByteArray file = QFile::encodeName(m_path);
    int holder = -1;
    const auto remount = [&](unsigned long flags) {
        return mount(nullptr, where.constData(), nullptr, MS_REMOUNT | flags, nullptr) == 0;
    };
    const struct {
        const char* cause;
        RegistryStore::WriteFailure failure;
        std::function<bool()> make, mend;
    } rows[] = {
        {"full disk", DiskFull,
         [&] {
             const int filler = ::open((where + "/filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
             const QByteArray page(4096, 'x');
             while (::write(filler, page.constData(), page.size()) > 0) { }
             return ::close(filler) == 0;
         },
         [&] { return QFile::remove(folder + QStringLiteral("/filler")); }},
        {"lock held by another writer", LockHeld,
         [&] {
             holder = ::open((file + ".lock").constData(), O_RDWR | O_CLOEXEC);
             struct flock lock = {};
             lock.l_type = F_WRLCK;
             return ::fcntl(holder, F_OFD_SETLK, &lock) == 0;
         },
         [&] { return ::close(holder) == 0; }},
        {"read-only folder", NotWritable, [&] { return remount(MS_RDONLY); }, [&] { return remount(0); }},
    };
    const std::string failure = PrivateNetwork::Run(
        [&]() -> std::string {
            if (!QDir().mkpath(folder) || mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
                return PrivateNetwork::Unavailable();
            for (const auto& row : rows) {
                const std::string cause = std::string(row.cause) + ": ";
                RegistryStore store(m_path);
                std::vector<RegistryStore::WriteFailure> reported; // filled under the store's lock
                store.ReportFailureTo([&](RegistryStore::WriteFailure why) { reported.push_back(why); });
                if (!store.SetValue(kKey, u"Title", RegistryValue::FromText(u"1")) || !store.Flush())
                    return cause + "first write";
                const QByteArray before = FileBytes(m_path);
                if (!row.make())
                    return cause + "not made";
                for (const QString& text : {QString(3000, u'x'), QString(3000, u'y')}) {
                    if (!store.SetValue(kKey, u"Text", RegistryValue::FromText(text)) || store.Flush()
                        || FileBytes(m_path) != before || store.Value(kKey, u"Text") != RegistryValue::FromText(text))
                        return cause + "not held";
                }
                if (!row.mend() || !store.Flush()
                    || RegistryStore(m_path).Value(kKey, u"Text") != store.Value(kKey, u"Text"))
                    return cause + "not written once mended";
                if (reported != std::vector{row.failure})
                    return cause + "reported " + std::to_string(reported.size()) + " times";
            }
            return "";
        },
        true);
    if (failure == PrivateNetwork::Unavailable())
        GTEST_SKIP() << failure << " (a file system of its own needs root or a user namespace)";
    EXPECT_EQ(failure, "");
}

TEST_F(RegistryStoreTest, ThreadsWritingThroughOneStoreOrTwoLoseNoValue)
{
    const QString keys[] = {u"SOFTWARE\\First"_s, u"SOFTWARE\\Second"_s, u"SOFTWARE\\Third"_s};
    RegistryStore shared(m_path);
    RegistryStore own(m_path);
    const auto writer = [](RegistryStore* store, const QString& key) {
        for (std::uint32_t i = 0; i < 50; ++i)
            EXPECT_TRUE(store->SetValue(key, QString::number(i), RegistryValue::FromDword(i)));
    };
    {
        const std::jthread threads[] = {std::jthread(writer, &shared, keys[0]), std::jthread(writer, &shared, keys[1]),
                                        std::jthread(writer, &own, keys[2])};
    }
    ASSERT_TRUE(shared.Flush() && own.Flush());
    ASSERT_TRUE(RegistryFile::Parse(FileBytes(m_path)).IsWhole());
    RegistryStore reader(m_path);
    for (const QString& key : keys)
        for (std::uint32_t i = 0; i < 50; ++i)
            EXPECT_EQ(reader.Value(key, QString::number(i)), RegistryValue::FromDword(i)) << key.toStdString();
}

namespace {

constexpr char kBurstFileVariable[] = "PELLWICK_REGISTRY_BURST_FILE";
const QString kBurstKey = QStringLiteral("SOFTWARE\\Burst");

std::uint32_t Counter(const QString& path)
{
    const RegistryFile::Parsed parsed = RegistryFile::Parse(FileBytes(path));
    const RegistryValue* value = parsed.hive.Value(kBurstKey, u"Counter");
    return value ? qFromLittleEndian<quint32>(value->data.constData()) : 0;
}

} // namespace

// Run by the test below in a child process: writes until it is killed (or for 60 s at most).
TEST(RegistryStoreBurst, DISABLED_WritesUntilKilled)
{
    const QString path = qEnvironmentVariable(kBurstFileVariable);
    ASSERT_FALSE(path.isEmpty());
    RegistryStore store(path);
    std::uint32_t counter = Counter(path);
    const QDeadlineTimer deadline(std::chrono::seconds(60));
    while (!deadline.hasExpired()) {
        ++counter;
        store.SetValue(kBurstKey + u'\\' + QString::number(counter % 40), u"Text",
                       RegistryValue::FromText(QString(static_cast<qsizetype>(counter % 200), u'ж')));
        store.SetValue(kBurstKey, u"Counter", RegistryValue::FromDword(counter));
    }
}

TEST_F(RegistryStoreTest, KillingAWriterNeverLeavesAFileThatCannotBeRead)
{
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "ThreadSanitizer loses track of the store's mutex around the writer processes this starts";
#endif
    qputenv(kBurstFileVariable, QFile::encodeName(m_path));
    std::uint32_t before = 0;
    for (int round = 0; round < 8; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=RegistryStoreBurst.DISABLED_WritesUntilKilled")});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(WaitFor([&] { return Counter(m_path) > before + 2; }, std::chrono::seconds(30)));
        QThread::msleep(QRandomGenerator::global()->bounded(30)); // a different moment each round
        child.kill();
        ASSERT_TRUE(child.waitForFinished());

        ASSERT_TRUE(RegistryFile::Parse(FileBytes(m_path)).IsWhole()) << "round " << round;
        EXPECT_GE(Counter(m_path), before);
        before = Counter(m_path);
    }
    // The next writer clears what killed writers left.
    ASSERT_TRUE(RegistryStore(m_path).SetValue(kBurstKey, u"Counter", RegistryValue::FromDword(0)));
    EXPECT_EQ(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("registry.reg"), QStringLiteral("registry.reg.lock")}));
}
