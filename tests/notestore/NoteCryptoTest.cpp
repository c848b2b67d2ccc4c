#include "notestore/Gzip.h"
#include "notestore/NoteCrypto.h"
#include "notestore.pb.h"
#include "notestore-generate/NoteEncryption.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <gtest/gtest.h>

using namespace notestore;
using testsupport::LockedItem;
using testsupport::lockWithPassword;

namespace {

Secret secret(const QByteArray& text)
{
    return Secret(text.constData(), text.size());
}

PasswordList passwords(const std::vector<QByteArray>& texts)
{
    PasswordList list;
    for (const QByteArray& text : texts)
        list.push_back(secret(text));
    return list;
}

LockedKeyParameters keyParameters(const LockedItem& item)
{
    return {item.salt, item.iterations, item.wrappedKey};
}

SealParameters seal(const LockedItem& item)
{
    return {item.iv, item.tag};
}

// The worked example: "name: hex" lines, comments start with '#'.
QMap<QString, QByteArray> readVectors(const QString& path)
{
    QMap<QString, QByteArray> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (line.startsWith('#') || colon < 0)
            continue;
        // "note key (after RFC 3394 unwrap)" is found as "note key".
        const QString name = QString::fromUtf8(line.left(colon)).section(u'(', 0, 0).trimmed();
        values.insert(name, line.mid(colon + 1).trimmed());
    }
    return values;
}

} // namespace

TEST(NoteCrypto, WorkedExampleDecryptsToItsText)
{
    const QString path = QStringLiteral(NI_NOTESTORE_FIXTURES "/test-vectors/locked-note.txt");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "no worked example at " << path.toStdString();
    const auto v = readVectors(path);
    const LockedKeyParameters parameters{QByteArray::fromHex(v.value(QStringLiteral("salt"))),
                                         v.value(QStringLiteral("iterations")).toLongLong(),
                                         QByteArray::fromHex(v.value(QStringLiteral("wrapped key")))};
    ASSERT_EQ(parameters.iterations, 20000);

    const UnlockedKey unlocked = unlockItemKey(parameters, passwords({"wrong", v.value(QStringLiteral("password"))}));
    ASSERT_EQ(unlocked.outcome, CryptoOutcome::Opened) << unlocked.reason.toStdString();
    EXPECT_EQ(unlocked.passwordIndex, 1);
    const QByteArray noteKey = QByteArray::fromHex(v.value(QStringLiteral("note key")));
    EXPECT_TRUE(unlocked.key == secret(noteKey));

    QByteArray plaintext;
    QString reason;
    ASSERT_EQ(decryptData(unlocked.key, QByteArray::fromHex(v.value(QStringLiteral("ciphertext"))),
                          {QByteArray::fromHex(v.value(QStringLiteral("iv"))),
                           QByteArray::fromHex(v.value(QStringLiteral("tag")))},
                          plaintext, &reason),
              CryptoOutcome::Opened)
        << reason.toStdString();
    EXPECT_EQ(plaintext, QByteArray::fromHex(v.value(QStringLiteral("plaintext"))));
    QByteArray inflated;
    ASSERT_TRUE(gunzip(plaintext, 1 << 20, inflated, nullptr));
    pb::BodyRoot root;
    ASSERT_TRUE(root.ParseFromString(inflated.toStdString()));
    EXPECT_EQ(root.document().note().text(), "Encrypted title\n\nEncrypted body");
}

struct PasswordCase {
    const char* name;
    std::vector<QByteArray> given;
    CryptoOutcome outcome;
    int index;
    int firstTry = 0;
};

class PasswordTry : public testing::TestWithParam<PasswordCase> {};

TEST_P(PasswordTry, OpensWithTheRightPasswordOnly)
{
    const QByteArray body = "gzip data of a note body";
    const LockedItem item = lockWithPassword(body, QByteArrayLiteral("pässwörd 1"));
    const UnlockedKey unlocked = unlockItemKey(keyParameters(item), passwords(GetParam().given), GetParam().firstTry);
    EXPECT_EQ(unlocked.outcome, GetParam().outcome);
    EXPECT_EQ(unlocked.passwordIndex, GetParam().index);
    if (unlocked.outcome != CryptoOutcome::Opened) {
        EXPECT_TRUE(unlocked.key.isEmpty());
        return;
    }
    QByteArray plaintext;
    ASSERT_EQ(decryptData(unlocked.key, item.ciphertext, seal(item), plaintext, nullptr), CryptoOutcome::Opened);
    EXPECT_EQ(plaintext, body);
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, PasswordTry,
    testing::Values(PasswordCase{"Right", {"pässwörd 1"}, CryptoOutcome::Opened, 0},
                    PasswordCase{"RightAfterOthers", {"other", "", "pässwörd 1"}, CryptoOutcome::Opened, 2},
                    PasswordCase{"TriedRoundFromTheLastThatWorked", {"pässwörd 1", "x", "y"}, CryptoOutcome::Opened, 0, 1},
                    PasswordCase{"Wrong", {"pässwörd 2"}, CryptoOutcome::WrongPassword, -1},
                    PasswordCase{"TrailingSpace", {"pässwörd 1 "}, CryptoOutcome::WrongPassword, -1},
                    PasswordCase{"OtherNormalisation", {"pa\xcc\x88sswo\xcc\x88rd 1"}, CryptoOutcome::WrongPassword, -1},
                    PasswordCase{"None", {}, CryptoOutcome::NoPassword, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct DamageCase {
    const char* name;
    std::function<void(LockedItem&)> damage;
    CryptoOutcome outcome;
};

class Damage : public testing::TestWithParam<DamageCase> {};

// A damaged key must read as a wrong password or unknown crypto, damaged
// data as corrupt, and never as garbage text.
TEST_P(Damage, IsToldApart)
{
    LockedItem item = lockWithPassword("a body", "secret");
    GetParam().damage(item);
    const UnlockedKey unlocked = unlockItemKey(keyParameters(item), passwords({"secret"}));
    CryptoOutcome outcome = unlocked.outcome;
    QByteArray plaintext = "left over";
    QString reason = unlocked.reason;
    if (outcome == CryptoOutcome::Opened)
        outcome = decryptData(unlocked.key, item.ciphertext, seal(item), plaintext, &reason);
    EXPECT_EQ(outcome, GetParam().outcome) << reason.toStdString();
    if (outcome != CryptoOutcome::Opened) {
        EXPECT_TRUE(plaintext.isEmpty() || plaintext == "left over");
        EXPECT_FALSE(outcome != CryptoOutcome::WrongPassword && reason.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Items, Damage,
    testing::Values(
        DamageCase{"Intact", [](LockedItem&) {}, CryptoOutcome::Opened},
        DamageCase{"WrappedKeyBit", [](LockedItem& i) { i.wrappedKey[3] = char(i.wrappedKey[3] ^ 1); },
                   CryptoOutcome::WrongPassword},
        DamageCase{"OtherSalt", [](LockedItem& i) { i.salt[0] = char(i.salt[0] ^ 1); }, CryptoOutcome::WrongPassword},
        DamageCase{"OtherIterations", [](LockedItem& i) { i.iterations += 1; }, CryptoOutcome::WrongPassword},
        DamageCase{"CiphertextBit", [](LockedItem& i) { i.ciphertext[0] = char(i.ciphertext[0] ^ 0x80); },
                   CryptoOutcome::Corrupt},
        DamageCase{"CiphertextCut", [](LockedItem& i) { i.ciphertext.chop(1); }, CryptoOutcome::Corrupt},
        DamageCase{"TagBit", [](LockedItem& i) { i.tag[15] = char(i.tag[15] ^ 1); }, CryptoOutcome::Corrupt},
        DamageCase{"IVBit", [](LockedItem& i) { i.iv[0] = char(i.iv[0] ^ 1); }, CryptoOutcome::Corrupt},
        DamageCase{"ShortTag", [](LockedItem& i) { i.tag.chop(4); }, CryptoOutcome::Unsupported},
        DamageCase{"NoIV", [](LockedItem& i) { i.iv.clear(); }, CryptoOutcome::Unsupported},
        DamageCase{"LongWrappedKey", [](LockedItem& i) { i.wrappedKey += QByteArray(16, 'x'); },
                   CryptoOutcome::Unsupported},
        DamageCase{"ShortWrappedKey", [](LockedItem& i) { i.wrappedKey.chop(8); }, CryptoOutcome::Unsupported},
        DamageCase{"NoSalt", [](LockedItem& i) { i.salt.clear(); }, CryptoOutcome::Unsupported},
        DamageCase{"NoIterations", [](LockedItem& i) { i.iterations = 0; }, CryptoOutcome::Unsupported},
        DamageCase{"EndlessIterations", [](LockedItem& i) { i.iterations = qint64(1) << 40; },
                   CryptoOutcome::Unsupported},
        DamageCase{"IterationsAboveTheBound", [](LockedItem& i) { i.iterations = kMaxCryptoIterations + 1; },
                   CryptoOutcome::Unsupported}),
    [](const auto& info) { return std::string(info.param.name); });

// Deriving is the slow step: a password derives once per salt and count,
// whatever number of notes share them, and never for a count it refuses.
TEST(DerivedKeys, AreDerivedOncePerPasswordSaltAndCount)
{
    const QByteArray shared(16, '\x5a');
    std::vector<LockedItem> items;
    for (int i = 0; i < 3; ++i)
        items.push_back(lockWithPassword("a body", "pw", 1000, shared));
    items.push_back(lockWithPassword("a body", "pw", 1000)); // a salt of its own
    items.push_back(lockWithPassword("a body", "pw", 1001, shared));
    DerivedKeys derived;
    const PasswordList given = passwords({"wrong", "pw"});
    for (const LockedItem& item : items)
        EXPECT_EQ(unlockItemKey(keyParameters(item), given, 0, &derived).outcome, CryptoOutcome::Opened);
    EXPECT_EQ(derived.size(), 6u); // both passwords for each of the three salt-and-count pairs

    LockedItem absurd = items.front();
    absurd.iterations = kMaxCryptoIterations + 1;
    const UnlockedKey refused = unlockItemKey(keyParameters(absurd), given, 0, &derived);
    EXPECT_EQ(refused.outcome, CryptoOutcome::Unsupported);
    EXPECT_EQ(derived.size(), 6u);
}

// Sizes around the piece size of the streamed decryption.
class MediaFile : public testing::TestWithParam<qsizetype> {};

TEST_P(MediaFile, DecryptsPieceByPiece)
{
    testsupport::TempDir dir;
    QByteArray media(GetParam(), '\0');
    for (qsizetype i = 0; i < media.size(); ++i)
        media[i] = char((i * 7919) >> 3);
    const LockedItem item = lockWithPassword(media, "media password");
    testsupport::writeFile(dir.filePath(QStringLiteral("sealed")), item.ciphertext);
    const UnlockedKey unlocked = unlockItemKey(keyParameters(item), passwords({"media password"}));
    ASSERT_EQ(unlocked.outcome, CryptoOutcome::Opened);
    QString reason;
    ASSERT_EQ(decryptFile(unlocked.key, dir.filePath(QStringLiteral("sealed")), dir.filePath(QStringLiteral("photo.jpeg")),
                          seal(item), &reason),
              CryptoOutcome::Opened)
        << reason.toStdString();
    EXPECT_EQ(testsupport::readFile(dir.filePath(QStringLiteral("photo.jpeg"))), media);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MediaFile, testing::Values(0, 1, 65535, 65536, 65537, 3 * 65536 + 5));

struct FileFaultCase {
    const char* name;
    // Prepares the source in `dir` and returns its path.
    std::function<QString(const testsupport::TempDir& dir, const LockedItem& item)> source;
    qint64 maxBytes;
    CryptoOutcome outcome;
    const char* reasonPart;
};

class MediaFileFault : public testing::TestWithParam<FileFaultCase> {};

// Nothing is left at the destination or beside it, and the reason names the file.
TEST_P(MediaFileFault, LeavesNothingBehind)
{
    testsupport::TempDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const LockedItem item = lockWithPassword(QByteArray(100000, 'm'), "pw");
    const UnlockedKey unlocked = unlockItemKey(keyParameters(item), passwords({"pw"}));
    const QString source = GetParam().source(dir, item);
    const QString destination = dir.filePath(QStringLiteral("out/file.pdf"));
    QString reason;
    EXPECT_EQ(decryptFile(unlocked.key, source, destination, seal(item), &reason, GetParam().maxBytes),
              GetParam().outcome);
    EXPECT_TRUE(reason.contains(QString::fromUtf8(GetParam().reasonPart))) << reason.toStdString();
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// The sealed file, with `damage` done to it.
std::function<QString(const testsupport::TempDir&, const LockedItem&)> sealed(std::function<void(QByteArray&)> damage = {})
{
    return [damage](const testsupport::TempDir& d, const LockedItem& i) {
        QByteArray data = i.ciphertext;
        if (damage)
            damage(data);
        testsupport::writeFile(d.filePath(QStringLiteral("sealed")), data);
        return d.filePath(QStringLiteral("sealed"));
    };
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MediaFileFault,
    testing::Values(
        FileFaultCase{"Tampered", sealed([](QByteArray& data) { data[70000] = char(data[70000] ^ 4); }),
                      kMaxLockedMediaBytes, CryptoOutcome::Corrupt, "sealed"},
        FileFaultCase{"Missing",
                      [](const testsupport::TempDir& d, const LockedItem&) { return d.filePath(QStringLiteral("gone")); },
                      kMaxLockedMediaBytes, CryptoOutcome::Failed, "gone"},
        FileFaultCase{"SymbolicLink",
                      [](const testsupport::TempDir& d, const LockedItem& i) {
                          QFile::link(sealed()(d, i), d.filePath(QStringLiteral("link")));
                          return d.filePath(QStringLiteral("link"));
                      },
                      kMaxLockedMediaBytes, CryptoOutcome::Failed, "symbolic link"},
        FileFaultCase{"Folder",
                      [](const testsupport::TempDir& d, const LockedItem&) {
                          QDir(d.path()).mkdir(QStringLiteral("folder"));
                          return d.filePath(QStringLiteral("folder"));
                      },
                      kMaxLockedMediaBytes, CryptoOutcome::Failed, "not a regular file"},
        FileFaultCase{"TooLarge", sealed(), 1000, CryptoOutcome::Failed, "larger than 1000 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });
