#include "notestore/NoteStoreTestSupport.h"

#include "notestore/Gzip.h"
#include "notestore/NoteCrypto.h"
#include "notestore.pb.h"

using namespace notestore;
using namespace Qt::StringLiterals;
using namespace testsupport;

namespace {

LockedKeyParameters keyParameters(const LockedItem& item) { return {item.salt, item.iterations, item.wrappedKey}; }
SealParameters seal(const LockedItem& item) { return {item.iv, item.tag}; }

// The worked example: "name (remark): hex" lines, comments start with '#'.
TEST(NoteCrypto, WorkedExampleDecryptsToItsText)
{
    QFile file(QStringLiteral(NI_NOTESTORE_FIXTURES "/test-vectors/locked-note.txt"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no worked example at " << file.fileName().toStdString();
    QMap<QString, QByteArray> v;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (!line.startsWith('#') && colon >= 0)
            v.insert(QString::fromUtf8(line.left(colon)).section(u'(', 0, 0).trimmed(), line.mid(colon + 1).trimmed());
    }
    const auto hex = [&](const QString& name) { return QByteArray::fromHex(v.value(name)); };
    const LockedKeyParameters parameters{hex(u"salt"_s), v.value(u"iterations"_s).toLongLong(), hex(u"wrapped key"_s)};
    ASSERT_EQ(parameters.iterations, 20000);

    const UnlockedKey unlocked = unlockItemKey(parameters, passwordList({"wrong", v.value(u"password"_s)}));
    ASSERT_EQ(unlocked.outcome, CryptoOutcome::Opened) << unlocked.reason.toStdString();
    EXPECT_EQ(unlocked.passwordIndex, 1);
    const QByteArray noteKey = hex(u"note key"_s);
    EXPECT_TRUE(unlocked.key == Secret(noteKey.constData(), noteKey.size()));

    QByteArray plaintext;
    QString reason;
    ASSERT_EQ(decryptData(unlocked.key, hex(u"ciphertext"_s), {hex(u"iv"_s), hex(u"tag"_s)}, plaintext, &reason),
              CryptoOutcome::Opened)
        << reason.toStdString();
    EXPECT_EQ(plaintext, hex(u"plaintext"_s));
    QByteArray inflated;
    ASSERT_TRUE(gunzip(plaintext, 1 << 20, inflated, nullptr));
    pb::BodyRoot root;
    ASSERT_TRUE(root.ParseFromString(inflated.toStdString()));
    EXPECT_EQ(root.document().note().text(), "Encrypted title\n\nEncrypted body");
}

// The passwords given and the damage done to the item decide: a damaged
// key reads as a wrong password or unknown crypto, damaged data as
// corrupt, and never as garbage text.
struct UnlockCase {
    const char* name;
    std::vector<QByteArray> given;
    std::function<void(LockedItem&)> damage;
    CryptoOutcome outcome;
    int index = -1; // of the password that opened it
    int firstTry = 0;
};

TEST(Unlock, OpensWithTheRightPasswordAndAnIntactItemOnly)
{
    const QByteArray right = "pässwörd 1";
    const UnlockCase cases[] = {
        {"Right", {right}, {}, CryptoOutcome::Opened, 0},
        {"RightAfterOthers", {"other", "", right}, {}, CryptoOutcome::Opened, 2},
        {"TriedRoundFromTheLastThatWorked", {right, "x", "y"}, {}, CryptoOutcome::Opened, 0, 1},
        {"Wrong", {"pässwörd 2"}, {}, CryptoOutcome::WrongPassword},
        {"OtherNormalisation", {"pa\xcc\x88sswo\xcc\x88rd 1"}, {}, CryptoOutcome::WrongPassword},
        {"None", {}, {}, CryptoOutcome::NoPassword},
        {"WrappedKeyBit", {right}, [](LockedItem& i) { i.wrappedKey[3] = char(i.wrappedKey[3] ^ 1); },
         CryptoOutcome::WrongPassword},
        {"OtherSalt", {right}, [](LockedItem& i) { i.salt[0] = char(i.salt[0] ^ 1); }, CryptoOutcome::WrongPassword},
        {"CiphertextBit", {right}, [](LockedItem& i) { i.ciphertext[0] = char(i.ciphertext[0] ^ 0x80); },
         CryptoOutcome::Corrupt, 0},
        {"TagBit", {right}, [](LockedItem& i) { i.tag[15] = char(i.tag[15] ^ 1); }, CryptoOutcome::Corrupt, 0},
        {"ShortTag", {right}, [](LockedItem& i) { i.tag.chop(4); }, CryptoOutcome::Unsupported, 0},
        {"NoIV", {right}, [](LockedItem& i) { i.iv.clear(); }, CryptoOutcome::Unsupported, 0},
        {"LongWrappedKey", {right}, [](LockedItem& i) { i.wrappedKey += QByteArray(16, 'x'); },
         CryptoOutcome::Unsupported},
        {"NoSalt", {right}, [](LockedItem& i) { i.salt.clear(); }, CryptoOutcome::Unsupported},
        {"NoIterations", {right}, [](LockedItem& i) { i.iterations = 0; }, CryptoOutcome::Unsupported},
        {"IterationsAboveTheBound", {right}, [](LockedItem& i) { i.iterations = kMaxCryptoIterations + 1; },
         CryptoOutcome::Unsupported},
    };
    const QByteArray body = "gzip data of a note body";
    for (const UnlockCase& c : cases) {
        SCOPED_TRACE(c.name);
        LockedItem item = lockWithPassword(body, right);
        if (c.damage)
            c.damage(item);
        const UnlockedKey unlocked = unlockItemKey(keyParameters(item), passwordList(c.given), c.firstTry);
        EXPECT_EQ(unlocked.passwordIndex, c.index);
        EXPECT_EQ(unlocked.key.isEmpty(), unlocked.outcome != CryptoOutcome::Opened);
        CryptoOutcome outcome = unlocked.outcome;
        QByteArray plaintext = "left over";
        QString reason = unlocked.reason;
        if (outcome == CryptoOutcome::Opened)
            outcome = decryptData(unlocked.key, item.ciphertext, seal(item), plaintext, &reason);
        EXPECT_EQ(outcome, c.outcome) << reason.toStdString();
        if (outcome == CryptoOutcome::Opened)
            EXPECT_EQ(plaintext, body);
        else
            EXPECT_TRUE(plaintext.isEmpty() || plaintext == "left over") << "a failure gave text";
        EXPECT_FALSE((outcome == CryptoOutcome::Corrupt || outcome == CryptoOutcome::Unsupported) && reason.isEmpty());
    }
}

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
    const PasswordList given = passwordList({"wrong", "pw"});
    for (const LockedItem& item : items)
        EXPECT_EQ(unlockItemKey(keyParameters(item), given, 0, &derived).outcome, CryptoOutcome::Opened);
    EXPECT_EQ(derived.size(), 6u); // both passwords for each of the three salt-and-count pairs

    LockedItem absurd = items.front();
    absurd.iterations = kMaxCryptoIterations + 1;
    EXPECT_EQ(unlockItemKey(keyParameters(absurd), given, 0, &derived).outcome, CryptoOutcome::Unsupported);
    EXPECT_EQ(derived.size(), 6u);
}

// The sealed file, with `damage` done to it.
using Source = std::function<QString(const TempDir& dir, const LockedItem& item)>;
Source sealed(std::function<void(QByteArray&)> damage = {})
{
    return [damage](const TempDir& d, const LockedItem& i) {
        QByteArray data = i.ciphertext;
        if (damage)
            damage(data);
        writeFile(d.filePath(u"sealed"_s), data);
        return d.filePath(u"sealed"_s);
    };
}

// Sizes around the piece size of the streamed decryption come out whole;
// on a fault nothing is left at the destination or beside it, and the
// reason names the file.
TEST(MediaFile, DecryptsPieceByPieceOrLeavesNothingBehind)
{
    const CryptoOutcome opened = CryptoOutcome::Opened;
    const qint64 max = kMaxLockedMediaBytes;
    const struct {
        const char* name;
        qsizetype size;
        Source source; // what the case prepares in the folder, from the sealed item
        qint64 maxBytes;
        CryptoOutcome outcome;
        const char* reasonPart;
    } cases[] = {
        {"Empty", 0, sealed(), max, opened, ""},
        {"OneByte", 1, sealed(), max, opened, ""},
        {"PieceLessOne", 65535, sealed(), max, opened, ""},
        {"OnePiece", 65536, sealed(), max, opened, ""},
        {"PieceAndOne", 65537, sealed(), max, opened, ""},
        {"Pieces", 3 * 65536 + 5, sealed(), max, opened, ""},
        {"Tampered", 100000, sealed([](QByteArray& data) { data[70000] = char(data[70000] ^ 4); }), max,
         CryptoOutcome::Corrupt, "sealed"},
        {"Missing", 100, [](const TempDir& d, const LockedItem&) { return d.filePath(u"gone"_s); }, max,
         CryptoOutcome::Failed, "gone"},
        {"SymbolicLink", 100,
         [](const TempDir& d, const LockedItem& i) {
             QFile::link(sealed()(d, i), d.filePath(u"link"_s));
             return d.filePath(u"link"_s);
         },
         max, CryptoOutcome::Failed, "symbolic link"},
        {"Folder", 100,
         [](const TempDir& d, const LockedItem&) {
             QDir(d.path()).mkdir(u"folder"_s);
             return d.filePath(u"folder"_s);
         },
         max, CryptoOutcome::Failed, "not a regular file"},
        {"TooLarge", 100000, sealed(), 1000, CryptoOutcome::Failed, "larger than 1000 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray media(c.size, '\0');
        for (qsizetype i = 0; i < media.size(); ++i)
            media[i] = char((i * 7919) >> 3);
        const LockedItem item = lockWithPassword(media, "pw");
        const UnlockedKey unlocked = unlockItemKey(keyParameters(item), passwordList({"pw"}));
        TempDir dir;
        QDir(dir.path()).mkdir(u"out"_s);
        const QString source = c.source(dir, item);
        QString reason;
        const QString destination = dir.filePath(u"out/file.pdf"_s);
        EXPECT_EQ(decryptFile(unlocked.key, source, destination, seal(item), &reason, c.maxBytes), c.outcome);
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reasonPart))) << reason.toStdString();
        const bool whole = c.outcome == opened && readFile(destination) == media;
        EXPECT_EQ(QDir(dir.filePath(u"out"_s)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  whole ? QStringList{u"file.pdf"_s} : QStringList{});
    }
}

} // namespace
