#include "backup/Keybag.h"
#include "platform/LocalizedString.h"

#include <QtEndian>

namespace backup {

namespace {

constexpr qsizetype kMaxValueBytes = 1024;

bool fail(QString* problem, const QString& reason)
{
    if (problem)
        *problem = reason;
    return false;
}

// A 4-byte value as the big-endian integer it stands for.
std::optional<quint32> integer(const QByteArray& value)
{
    if (value.size() != 4)
        return std::nullopt;
    return qFromBigEndian<quint32>(value.constData());
}

bool setInteger(const QByteArray& tag, const QByteArray& value, quint32& out, QString* problem)
{
    const auto number = integer(value);
    if (!number)
        return fail(problem, platform::localizedString("its %1 has %2 bytes, not 4").arg(QString::fromLatin1(tag)).arg(value.size()));
    out = *number;
    return true;
}

} // namespace

std::optional<Keybag> parseKeybag(const QByteArray& data, QString* problem)
{
    if (data.isEmpty()) {
        fail(problem, platform::localizedString("it is empty"));
        return std::nullopt;
    }
    if (data.size() > Keybag::kMaxBytes) {
        fail(problem, platform::localizedString("it is larger than %1 bytes").arg(Keybag::kMaxBytes));
        return std::nullopt;
    }
    Keybag bag;
    KeybagClass* current = nullptr;
    bool seenUUID = false;
    qsizetype at = 0;
    while (at < data.size()) {
        if (data.size() - at < 8) {
            fail(problem, platform::localizedString("it ends inside a record"));
            return std::nullopt;
        }
        const QByteArray tag = data.mid(at, 4);
        const quint32 length = qFromBigEndian<quint32>(data.constData() + at + 4);
        at += 8;
        if (length > kMaxValueBytes || qsizetype(length) > data.size() - at) {
            fail(problem, platform::localizedString("its record %1 is %2 bytes long")
                              .arg(QString::fromLatin1(tag.toHex()))
                              .arg(length));
            return std::nullopt;
        }
        const QByteArray value = data.mid(at, qsizetype(length));
        at += qsizetype(length);
        quint32 number = 0;
        if (tag == "UUID") {
            if (!seenUUID) {
                bag.uuid = value;
                seenUUID = true;
                continue;
            }
            if (int(bag.classes.size()) >= Keybag::kMaxClasses) {
                fail(problem, platform::localizedString("it holds more than %1 classes").arg(Keybag::kMaxClasses));
                return std::nullopt;
            }
            current = &bag.classes.emplace_back();
            continue;
        }
        if (current) {
            if (tag == "CLAS" && !setInteger(tag, value, current->protectionClass, problem))
                return std::nullopt;
            if (tag == "WRAP" && !setInteger(tag, value, current->wrap, problem))
                return std::nullopt;
            if (tag == "KTYP" && !setInteger(tag, value, current->keyType, problem))
                return std::nullopt;
            if (tag == "WPKY")
                current->wrappedKey = value;
            continue;
        }
        if (tag == "VERS" && !setInteger(tag, value, bag.version, problem))
            return std::nullopt;
        if (tag == "TYPE" && !setInteger(tag, value, bag.type, problem))
            return std::nullopt;
        if (tag == "SALT")
            bag.derivation.salt = value;
        if (tag == "DPSL")
            bag.derivation.dpsl = value;
        if (tag == "ITER" || tag == "DPIC") {
            if (!setInteger(tag, value, number, problem))
                return std::nullopt;
            (tag == "ITER" ? bag.derivation.iterations : bag.derivation.dpic) = number;
        }
    }
    if (bag.classes.empty()) {
        fail(problem, platform::localizedString("it holds no class keys"));
        return std::nullopt;
    }
    if (bag.derivation.salt.isEmpty() || bag.derivation.iterations == 0) {
        fail(problem, platform::localizedString("it lacks the salt or the rounds of its key derivation"));
        return std::nullopt;
    }
    return bag;
}

UnlockOutcome unlockKeybag(const Keybag& keybag, const Secret& password, ClassKeys& keys, QString* reason)
{
    keys.clear();
    QString why;
    const Secret key = deriveBackupKey(password, keybag.derivation, &why);
    if (key.isEmpty()) {
        fail(reason, why);
        return UnlockOutcome::Damaged;
    }
    for (const KeybagClass& entry : keybag.classes) {
        if (!(entry.wrap & 2))
            continue; // kept by the device alone; no backup file needs it
        Secret classKey = unwrapKey(key, entry.wrappedKey);
        if (classKey.isEmpty()) {
            keys.clear();
            return UnlockOutcome::WrongPassword;
        }
        keys[entry.protectionClass] = std::move(classKey);
    }
    if (keys.empty()) {
        fail(reason, platform::localizedString("no class key in it is protected by the password"));
        return UnlockOutcome::Damaged;
    }
    return UnlockOutcome::Opened;
}

} // namespace backup
