#include "backup/FileRecord.h"
#include "backup/Keybag.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace backup;

namespace {

QByteArray number(quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray record(const char* tag, const QByteArray& value, qint64 length = -1)
{
    return QByteArray(tag, 4) + number(quint32(length < 0 ? value.size() : length)) + value;
}

QByteArray header(quint32 iterations = 1, quint32 firstRounds = 1)
{
    return record("VERS", number(4)) + record("UUID", QByteArray(16, 'u')) + record("SALT", QByteArray(20, 's'))
         + record("ITER", number(iterations)) + record("DPSL", QByteArray(20, 'd')) + record("DPIC", number(firstRounds));
}

QByteArray classGroup(quint32 protectionClass, const QByteArray& wrapped = QByteArray(40, 'w'), quint32 wrap = 3)
{
    return record("UUID", QByteArray(16, 'c')) + record("CLAS", number(protectionClass)) + record("WRAP", number(wrap))
         + record("WPKY", wrapped);
}

struct KeybagCase {
    const char* name;
    QByteArray data;
    const char* problem;                       // empty: it parses
    UnlockOutcome outcome = UnlockOutcome::WrongPassword; // of a password, when it parses
};

class HostileKeybags : public testing::TestWithParam<KeybagCase> {};

TEST_P(HostileKeybags, AreRefusedWithAReasonOrFailToOpen)
{
    const KeybagCase& test = GetParam();
    QString problem;
    const auto bag = parseKeybag(test.data, &problem);
    if (*test.problem) {
        EXPECT_FALSE(bag);
        EXPECT_TRUE(problem.contains(QString::fromUtf8(test.problem))) << problem.toStdString();
        return;
    }
    ASSERT_TRUE(bag) << problem.toStdString();
    ClassKeys keys;
    EXPECT_EQ(unlockKeybag(*bag, Secret("password", 8), keys, &problem), test.outcome) << problem.toStdString();
    EXPECT_TRUE(keys.empty());
}

const KeybagCase kKeybags[] = {
    {"Empty", {}, "empty"},
    {"Huge", QByteArray(Keybag::kMaxBytes + 1, 'x'), "larger than"},
    {"EndsInsideARecord", header() + QByteArray("CLA"), "ends inside a record"},
    {"LengthPastTheEnd", header() + record("WPKY", QByteArray(8, 'w'), 4000), "bytes long"},
    {"LengthNearFourGigabytes", header() + record("WPKY", {}, 0xFFFFFFF0), "bytes long"},
    {"NoClasses", header(), "holds no class keys"},
    {"NoSalt", record("UUID", QByteArray(16, 'u')) + record("ITER", number(1)) + classGroup(3), "lacks the salt"},
    {"ClassNumberOfTwoBytes", header() + record("UUID", QByteArray(16, 'c')) + record("CLAS", QByteArray(2, '\0')),
     "CLAS has 2 bytes"},
    {"WrapOfTwoBytes", header() + record("UUID", QByteArray(16, 'c')) + record("WRAP", QByteArray(2, '\0')),
     "WRAP has 2 bytes"},
    {"KeyTypeOfTwoBytes", header() + record("UUID", QByteArray(16, 'c')) + record("KTYP", QByteArray(2, '\0')),
     "KTYP has 2 bytes"},
    {"VersionOfTwoBytes", record("VERS", QByteArray(2, '\0')) + header(), "VERS has 2 bytes"},
    {"TypeOfTwoBytes", record("TYPE", QByteArray(2, '\0')) + header(), "TYPE has 2 bytes"},
    {"RoundsOfTwoBytes", record("ITER", QByteArray(2, '\0')) + header(), "ITER has 2 bytes"},
    {"FirstRoundsWithoutTheirSalt",
     record("UUID", QByteArray(16, 'u')) + record("SALT", QByteArray(20, 's')) + record("ITER", number(1))
         + record("DPIC", number(1)) + classGroup(3),
     "", UnlockOutcome::Damaged},
    {"TooManyClasses",
     [] {
         QByteArray data = header();
         for (int i = 0; i <= Keybag::kMaxClasses; ++i)
             data += classGroup(quint32(i));
         return data;
     }(),
     "more than 64 classes"},
    {"RoundsBeyondTheLimit", header(1, 0x7FFFFFFF) + classGroup(3), "", UnlockOutcome::Damaged},
    {"NoClassProtectedByThePassword", header() + classGroup(3, QByteArray(40, 'w'), 1), "", UnlockOutcome::Damaged},
    {"WrappedKeyOfOddSize", header() + classGroup(3, QByteArray(13, 'w')), "", UnlockOutcome::WrongPassword},
    {"GarbageWrappedKey", header() + classGroup(3), "", UnlockOutcome::WrongPassword},
};

INSTANTIATE_TEST_SUITE_P(Backup, HostileKeybags, ::testing::ValuesIn(kKeybags),
                         [](const auto& info) { return std::string(info.param.name); });

QByteArray archiveOf(qint64 size)
{
    FileRecord record;
    record.relativePath = QStringLiteral("NoteStore.sqlite");
    record.size = size;
    record.encryptionKey = QByteArray(44, 'k');
    return *fileRecordArchive(record);
}

TEST(FileRecords, AreReadOrRefusedWithAReason)
{
    const std::pair<QByteArray, const char*> cases[] = {
        {archiveOf(1234), nullptr},
        {"not an archive at all", "cannot be read"},
        {archiveOf(-5), "size of -5 bytes"},
        {archiveOf(FileRecord::kMaxFileBytes + 1), "size of"},
        {archiveOf(1234) + QByteArray(FileRecord::kMaxArchiveBytes, '\0'), "larger than"},
    };
    for (const auto& [archive, expected] : cases) {
        SCOPED_TRACE(expected ? expected : "reads");
        QString problem;
        const auto record = readFileRecord(archive, &problem);
        ASSERT_EQ(record.has_value(), !expected) << problem.toStdString();
        if (record) {
            EXPECT_EQ(record->size, 1234);
            EXPECT_EQ(record->encryptionKey, QByteArray(44, 'k'));
        } else {
            EXPECT_TRUE(problem.contains(QString::fromUtf8(expected))) << problem.toStdString();
        }
    }
}

} // namespace
