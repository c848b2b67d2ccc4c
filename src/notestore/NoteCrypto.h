#pragma once

#include "notestore/Secret.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <tuple>

// Opening locked notes and their media: the password derives a key that
// unwraps the item's own key, which decrypts the data (AES-GCM).
namespace notestore {

// Key derivation with more rounds than this is refused without trying:
// Notes writes 20,000, and a hostile database could otherwise stall the
// export (a third of a second a note and password at this bound).
inline constexpr qint64 kMaxCryptoIterations = 1'000'000;
// Encrypted media files larger than this are refused.
inline constexpr qint64 kMaxLockedMediaBytes = qint64(8) * 1024 * 1024 * 1024;

enum class CryptoOutcome {
    Opened,
    NoPassword,    // there was no password to try
    WrongPassword, // the key did not unwrap
    Corrupt,       // the key unwrapped, the data did not authenticate
    Unsupported,   // parameters of a kind this program does not know
    Failed,        // reading or writing a file failed
};

// What the database keeps beside one locked item to derive its key.
struct LockedKeyParameters {
    QByteArray salt;
    qint64 iterations = 0;
    QByteArray wrappedKey;
};

// What the database keeps beside the ciphertext.
struct SealParameters {
    QByteArray iv;
    QByteArray tag;
};

// The key that opens one item, and which password gave it.
struct UnlockedKey {
    CryptoOutcome outcome = CryptoOutcome::WrongPassword;
    Secret key;
    int passwordIndex = -1;
    QString reason;
};

// Opened when the parameters can be tried; Unsupported, with the reason,
// for a kind this program does not know or a count above the bound.
CryptoOutcome checkKeyParameters(const LockedKeyParameters& parameters, QString* reason);

// Unwraps the item's key with `password`. WrongPassword when the unwrap
// fails; Unsupported (with the reason) for parameters of an unknown kind.
CryptoOutcome unwrapItemKey(const LockedKeyParameters& parameters, const Secret& password, Secret& key,
                            QString* reason);

// The key-encrypting keys derived so far, by password, salt and count:
// notes of one account share them, and deriving is the slow step.
// Wiped when this goes.
class DerivedKeys {
public:
    static constexpr size_t kMaxKeys = 100'000;
    // The key `password` (the `passwordIndex`-th given) derives for the
    // salt and count of `parameters`; null when it could not be derived.
    const Secret* keyFor(int passwordIndex, const Secret& password, const LockedKeyParameters& parameters);
    void clear() { m_keys.clear(); }
    size_t size() const { return m_keys.size(); }

private:
    using Key = std::tuple<int, QByteArray, qint64>;
    std::map<Key, Secret> m_keys;
};

// Tries each password in turn, from `firstTry` round to the one before
// it; the first that unwraps the key wins. Keys come from `derived`
// when given, and are kept there.
UnlockedKey unlockItemKey(const LockedKeyParameters& parameters, const PasswordList& passwords, int firstTry = 0,
                          DerivedKeys* derived = nullptr);

// Decrypts and authenticates `ciphertext`; Corrupt when the tag does not match.
CryptoOutcome decryptData(const Secret& key, QByteArrayView ciphertext, const SealParameters& seal,
                          QByteArray& plaintext, QString* reason);

// Decrypts the file at `sourcePath` into `destinationPath` piece by piece.
// The plaintext is written under a hidden temporary name beside the
// destination and only renamed into place once it has authenticated, so a
// damaged file leaves nothing behind. The reason names the file.
CryptoOutcome decryptFile(const Secret& key, const QString& sourcePath, const QString& destinationPath,
                          const SealParameters& seal, QString* reason, qint64 maxBytes = kMaxLockedMediaBytes);

} // namespace notestore
