#pragma once

#include "backup/BackupCrypto.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace backup {

// One protection class of a backup's keybag.
struct KeybagClass {
    quint32 protectionClass = 0; // CLAS
    quint32 wrap = 0;            // WRAP: bit 2 set means wrapped with the password's key
    quint32 keyType = 0;         // KTYP
    QByteArray wrappedKey;       // WPKY
};

// The keybag of an encrypted backup (Manifest.plist's BackupKeyBag): a
// list of tag, big-endian length, value records; the bag's own first, then
// one group per class, each opened by a UUID.
struct Keybag {
    quint32 version = 0;
    quint32 type = 0;
    QByteArray uuid;
    DerivationParameters derivation;
    std::vector<KeybagClass> classes;

    static constexpr qsizetype kMaxBytes = 64 * 1024;
    static constexpr int kMaxClasses = 64;
};

// The keybag in `data`; nothing, with the reason, when it is damaged or
// exceeds the limits.
std::optional<Keybag> parseKeybag(const QByteArray& data, QString* problem);

// The class keys, by protection class, that the backup password opens.
using ClassKeys = std::map<quint32, Secret>;

enum class UnlockOutcome { Opened, WrongPassword, Damaged };

// Derives the key from `password` (seconds of work on a real backup) and
// unwraps every class key it protects. WrongPassword when one does not
// unwrap; Damaged (with the reason) when the keybag cannot serve.
UnlockOutcome unlockKeybag(const Keybag& keybag, const Secret& password, ClassKeys& keys, QString* reason);

} // namespace backup
