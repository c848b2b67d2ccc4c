// Files and data an attacker or an unlucky user could hand the program:
// links out of a folder, FIFOs, endless devices, deep nesting, huge counts.

#include "platform/FileManager.h"
#include "platform/FileURL.h"
#include "platform/PropertyList.h"
#include "platform/SafeFile.h"
#include "platform/TreeRemoval.h"
#include "platform/UserDefaults.h"
#include "support/FileFaults.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using namespace testsupport;

namespace {

const QByteArray kCanary = "canary: never to be read through the library\n";

// A folder "lib" with a regular file and every kind of hostile entry, and a
// canary file outside it.
struct HostileFolder {
    TempDir dir;
    QString root = dir.filePath(QStringLiteral("lib"));
    QString canary = dir.filePath(QStringLiteral("canary.txt"));

    HostileFolder()
    {
        QDir().mkpath(root + QStringLiteral("/inner"));
        writeFile(canary, kCanary);
        writeFile(root + QStringLiteral("/inner/plain.html"), "<p>fine</p>");
        link(canary, QStringLiteral("to-canary"));
        link(dir.path(), QStringLiteral("to-outside"));
        link(QStringLiteral("/dev/zero"), QStringLiteral("to-zero"));
        link(QStringLiteral("inner/plain.html"), QStringLiteral("to-inside"));
        mkfifo(QFile::encodeName(root + QStringLiteral("/fifo")).constData(), 0600);
    }
    void link(const QString& target, const QString& name) const
    {
        EXPECT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(root + u'/' + name).constData()), 0);
    }
};

// A path beneath the folder, and why it is refused (empty: it opens).
const std::pair<const char*, const char*> kOpenCases[] = {
    {"inner/plain.html", ""},
    {"./inner/plain.html", ""},
    {"to-canary", "symbolic link"},
    {"to-outside/canary.txt", "symbolic link"},
    {"fifo", "not a regular file"},
    {"inner", "folder"},
    {"../canary.txt", "outside"},
    {"inner/../../canary.txt", "outside"},
    {"missing.html", "No such file"},
};

} // namespace

using safefile::Descriptor;

TEST(SafeOpen, RefusesEverythingButRegularFilesBeneathTheFolder)
{
    HostileFolder folder;
    // With the system call that stays beneath, and by walking one component at a time.
    const auto beneath = [](const QString& root, const QString& path, Error* error) {
        return safefile::openBeneath(root, path, error);
    };
    for (const auto open : {+beneath, &safefile::openBeneathByWalking}) {
        for (const auto& [path, reason] : kOpenCases) {
            SCOPED_TRACE(path);
            Error error;
            const Descriptor fd = open(folder.root, QString::fromLatin1(path), &error);
            if (!*reason) {
                ASSERT_TRUE(fd.isValid()) << error.localizedDescription().toStdString();
                EXPECT_EQ(safefile::readAll(fd.get(), 1024, QString(), nullptr), QByteArray("<p>fine</p>"));
                continue;
            }
            EXPECT_FALSE(fd.isValid());
            const QString message = error.localizedDescription();
            EXPECT_TRUE(message.contains(QLatin1String(reason))) << message.toStdString();
            EXPECT_TRUE(message.contains(QString::fromLatin1(path).section(u'/', -1)));
        }
    }
    EXPECT_EQ(readFile(folder.canary), kCanary);
}

// Reads stop at their limit, naming the file; writes replace only when complete.
TEST(SafeFile, ReadsStopAtTheLimitWritesLeaveNoTemporaryFile)
{
    TempDir dir;
    const QString big = dir.filePath(QStringLiteral("big"));
    writeFile(big, QByteArray(300000, 'x'));
    Error error;
    EXPECT_EQ(safefile::readRegularFile(big, 300000, &error)->size(), 300000);
    EXPECT_FALSE(safefile::readRegularFile(big, 299999, &error));
    EXPECT_EQ(error.localizedDescription(),
              QStringLiteral("“%1” could not be read: it is larger than 299999 bytes, the most this program reads.").arg(big));
    // A character device never ends: refused before the first read.
    EXPECT_FALSE(safefile::readRegularFile(QStringLiteral("/dev/zero"), 1 << 20, &error));
    EXPECT_TRUE(error.localizedDescription().contains(QLatin1String("not a regular file")));
    // Sizes are only a hint: a file whose size reads 0 is still read to its end,
    // and one that has grown since its size was taken is read whole.
    const auto status = safefile::readRegularFile(QStringLiteral("/proc/self/status"), 1 << 20, &error);
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->startsWith("Name:"));
    EXPECT_TRUE(status->contains("voluntary_ctxt_switches")); // its last lines
    const safefile::Descriptor fd = safefile::openRegularFile(big, &error);
    EXPECT_EQ(safefile::readAll(fd.get(), 1 << 20, big, &error, 10)->size(), 300000);

    const QString target = dir.filePath(QStringLiteral("note.html"));
    writeFile(target, "old");
    // A link planted at the name is refused, never written through.
    const QString canary = dir.filePath(QStringLiteral("canary"));
    writeFile(canary, kCanary);
    const QString planted = dir.filePath(QStringLiteral("planted.html"));
    ASSERT_EQ(symlink(QFile::encodeName(canary).constData(), QFile::encodeName(planted).constData()), 0);
    EXPECT_TRUE(safefile::writeAtomically("new", QFile::encodeName(target)));
    EXPECT_EQ(safefile::writeAtomically("page", QFile::encodeName(planted)).code, ELOOP);
    EXPECT_EQ(readFile(target), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    // Removing the link removes the link only.
    EXPECT_TRUE(FileManager::defaultManager()->removeItem(fileurl::fromPath(planted, false), nullptr));
    EXPECT_EQ(readFile(canary), kCanary);

    // A copy beyond its limit leaves neither the file nor a temporary one.
    writeFile(dir.filePath(QStringLiteral("source")), QByteArray(70000, 'y'));
    const Descriptor in = safefile::openRegularFile(dir.filePath(QStringLiteral("source")), nullptr);
    const auto result = safefile::copyToFile(in.get(), 65536, QFile::encodeName(dir.filePath(QStringLiteral("copy"))));
    EXPECT_TRUE(result.tooLarge);
    EXPECT_EQ(tree(dir.path()), (QStringList{"big", "canary", "note.html", "source"}));
}

// ---- Property lists ----

namespace {

// `depth` arrays inside each other, the innermost holding a string.
QByteArray nestedXML(int depth)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    xml += QByteArray("<array>").repeated(depth) + "<string>x</string>" + QByteArray("</array>").repeated(depth);
    return xml + "</plist>\n";
}

QByteArray bigEndian(quint64 value, int bytes)
{
    const quint64 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), sizeof big).right(bytes);
}

// The binary form of the given encoded objects (marker bytes included), written
// by hand since the writer recurses; the first is the top one, references in
// them are `referenceSize` bytes.
QByteArray binaryPlist(const QList<QByteArray>& objects, int referenceSize)
{
    QByteArray data = "bplist00", table;
    for (const QByteArray& object : objects) {
        table += bigEndian(quint64(data.size()), 4);
        data += object;
    }
    const QByteArray trailer = QByteArray(6, '\0') + char(4) + char(referenceSize) + bigEndian(quint64(objects.size()), 8);
    return data + table + trailer + bigEndian(0, 8) + bigEndian(quint64(data.size()), 8);
}

// Object i is an array holding object i + 1; the last is an empty array, or with
// `cycle` one holding the first.
QByteArray nestedBinary(int depth, bool cycle = false)
{
    QList<QByteArray> objects;
    for (int i = 1; i < depth; ++i)
        objects.append("\xA1" + bigEndian(quint64(i), 4));
    objects.append(cycle ? "\xA1" + bigEndian(0, 4) : QByteArray("\xA0"));
    return binaryPlist(objects, 4);
}

// One array of `count` references to the same integer: small on disk, huge once read.
QByteArray wideBinary(quint32 count)
{
    // 0xAF 0x12: an array whose four-byte count follows.
    return binaryPlist({"\xAF\x12" + bigEndian(count, 4) + QByteArray(qsizetype(count), '\x01'), "\x10\x07"}, 1);
}

// One dictionary {key: value}, both given as encoded objects.
QByteArray oneEntryDictionary(const QByteArray& key, const QByteArray& value)
{
    return binaryPlist({"\xD1\x01\x02", key, value}, 1);
}

} // namespace

TEST(PropertyListShape, HostileDataIsRefusedBeforeParsing)
{
    const QByteArray elevenValues = *plist::dataFromPropertyList(QVariantList(11, 0), plist::Format::Binary, nullptr);
    const struct {
        const char* name;
        QByteArray data;
        const char* reason; // empty: read, holding `count` values
        qsizetype count = 1;
        plist::Limits limits = {};
    } cases[] = {
        {"binary 100 deep", nestedBinary(100), ""},
        {"xml 100 deep", nestedXML(100), ""},
        {"binary 100000 deep", nestedBinary(100000), "nested more than 4096 levels deep"},
        {"xml 100000 deep", nestedXML(100000), "nested more than 4096 levels deep"},
        {"binary containing itself", nestedBinary(3, true), "contains itself"},
        // Three million values in 3 MB: refused before the parser sees them.
        {"three million values", wideBinary(3000000), "holds more than 200000 values", 0, {512, 200000}},
        {"a thousand references", wideBinary(1000), "", 1000},
        {"eleven values, ten allowed", elevenValues, "holds more than 10 values", 0, {10, 10}},
        {"eleven values, twelve allowed", elevenValues, "", 11, {10, 12}},
        {"garbage", "not a property list", "known format"},
        {"empty", QByteArray(), "known format"},
        // Found by fuzzing: libplist aborts the program when asked for a copy of a key
        // (or a UTF-16 string) with a NUL inside. String values read, perhaps cut at it.
        {"key with a NUL", oneEntryDictionary(QByteArray("\x53" "a\0b", 4), "\x51x"), "known format"},
        {"UTF-16 key with a NUL", oneEntryDictionary(QByteArray("\x63\0a\0\0\0b", 7), "\x51x"), "known format"},
        {"value with a NUL", oneEntryDictionary("\x51k", QByteArray("\x53x\0y", 4)), ""},
        {"UTF-16 value with a NUL", oneEntryDictionary("\x51k", QByteArray("\x63\0x\0\0\0y", 7)), ""},
        {"plain key", oneEntryDictionary("\x53" "abc", "\x51x"), ""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        Error error;
        const auto value = plist::propertyListFromData(item.data, &error, item.limits);
        if (!*item.reason) {
            ASSERT_TRUE(value) << error.localizedDescription().toStdString();
            if (value->typeId() == QMetaType::QVariantMap)
                EXPECT_TRUE(value->toMap().first().toString().startsWith(u'x'));
            else
                EXPECT_EQ(value->toList().size(), item.count);
            continue;
        }
        EXPECT_FALSE(value);
        EXPECT_TRUE(error.localizedDescription().contains(QLatin1String(item.reason))) << error.localizedDescription().toStdString();
    }
    EXPECT_FALSE(plist::dataFromPropertyList(QVariant::fromValue(std::nullptr_t{}), plist::Format::Binary, nullptr));
}

// ---- Preferences ----

TEST(HostilePreferences, AreIgnoredWithoutHangingOrFollowing)
{
    PrivateHome home;
    const QString canaryPath = home.dir.filePath(QStringLiteral("canary.plist"));
    const auto canaryData = plist::dataFromPropertyList(QVariantMap{{QStringLiteral("Leaked"), true}}, plist::Format::XML, nullptr);
    writeFile(canaryPath, *canaryData);
    const auto file = [](const QByteArray& data) { return [data](const QString& path) { writeFile(path, data); }; };
    const std::pair<const char*, std::function<void(const QString& path)>> cases[] = {
        {"fifo", [](const QString& path) { mkfifo(QFile::encodeName(path).constData(), 0600); }},
        {"link to a file elsewhere",
         [&](const QString& path) { symlink(QFile::encodeName(canaryPath).constData(), QFile::encodeName(path).constData()); }},
        {"binary 100000 deep", file(nestedBinary(100000))},
        {"too large", file(QByteArray(UserDefaults::kMaxFileBytes + 1, ' '))},
        {"three million values", file(wideBinary(3000000))},
        {"not a property list", file("not a property list")},
        {"an array", file(*plist::dataFromPropertyList(QVariantList{1}, plist::Format::Binary, nullptr))},
    };
    int index = 0;
    for (const auto& [name, make] : cases) {
        SCOPED_TRACE(name);
        const QString domain = QStringLiteral("hostile.%1").arg(index++);
        const QString path = UserDefaults::pathForDomain(domain);
        QDir().mkpath(QFileInfo(path).absolutePath());
        make(path);
        UserDefaults defaults(domain);
        EXPECT_FALSE(defaults.object(QStringLiteral("Leaked")).isValid());
    }
    EXPECT_EQ(readFile(canaryPath), *canaryData);
}

// ---- Removing a tree ----

TEST(TreeRemoval, GoesDeeperThanTheDescriptorLimitButNeverIntoAnotherFileSystem)
{
    // Deeper than the 1,024 descriptors a process usually has, and than any recursion should go.
    TempDir dir;
    const QByteArray top = QFile::encodeName(dir.filePath(QStringLiteral("deep")));
    ASSERT_EQ(mkdir(top.constData(), 0700), 0);
    int fd = open(top.constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 5000 && fd >= 0; ++i) {
        mkdirat(fd, "d", 0700);
        const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    close(fd);
    RemovalFailure failure;
    EXPECT_TRUE(removeTree(top, &failure)) << failure.remaining.join(u'\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(QFile::decodeName(top)));

    // A file system mounted inside stays, and the error says what is left.
    const QString tree = dir.filePath("Notes Import");
    const QString mountPoint = tree + "/Work/Inner";
    QDir().mkpath(mountPoint);
    writeFile(tree + "/Work/a.html", "a");
    SmallFileSystem mounted(1 << 20, mountPoint);
    if (!mounted.isMounted())
        GTEST_SKIP() << mounted.failure().toStdString();
    writeFile(mountPoint + "/precious.txt", kCanary);
    Error error;
    EXPECT_FALSE(FileManager::defaultManager()->removeItem(fileurl::fromPath(tree, true), &error));
    EXPECT_EQ(readFile(mountPoint + "/precious.txt"), kCanary);
    EXPECT_FALSE(QFile::exists(tree + "/Work/a.html"));
    EXPECT_EQ(error.localizedDescription(), "“Notes Import” couldn’t be removed: Invalid cross-device link; "
                                            "still there: Notes Import/Work/Inner (Invalid cross-device link).");
}
