#pragma once

#include "notestore/NoteCrypto.h"

#include <QByteArray>
#include <QString>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace notestore {

// What the summary says about a locked note that does not open.
inline constexpr const char* kNoPasswordGiven = QT_TRANSLATE_NOOP("platform", "no password given");
inline constexpr const char* kWrongPassword = QT_TRANSLATE_NOOP("platform", "wrong password");
inline constexpr const char* kCannotBeOpenedHere = QT_TRANSLATE_NOOP("platform", "cannot be opened on this machine");

// The passwords a user gave and what they opened. A note's outcome is
// remembered, so asking for its body twice derives its key once, and the
// key a password derives for one salt and count serves every note that
// shares them; every key and password is wiped when the passwords change
// or this goes away.
class LockedNoteKeys {
public:
    void setPasswords(PasswordList passwords);
    bool hasPasswords() const;

    // Decrypts the data of the locked item `id` (a note's primary key).
    // Nothing, with the reason the summary gives, when it does not open.
    std::optional<QByteArray> open(qint64 id, const LockedKeyParameters& key, QByteArrayView ciphertext,
                                   const SealParameters& seal, QString* problem);

    // The key of the locked item `id`, for decrypting its media files.
    CryptoOutcome itemKey(qint64 id, const LockedKeyParameters& key, Secret& out, QString* problem);

private:
    struct Opened {
        CryptoOutcome outcome;
        Secret key;
        QString reason;
    };
    const Opened& unlock(qint64 id, const LockedKeyParameters& key);
    static QString problemFor(CryptoOutcome outcome, const QString& reason);

    mutable std::mutex m_mutex;
    PasswordList m_passwords;
    // Notes of one account share their password: the last that worked is tried first.
    int m_lastOpening = 0;
    std::unordered_map<qint64, Opened> m_opened;
    DerivedKeys m_derived;
};

} // namespace notestore
