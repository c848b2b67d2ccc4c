#pragma once

#include "notestore/Secret.h"

#include <QByteArray>
#include <QString>
#include <functional>

// The ciphers of an encrypted device backup: keys derived from the backup
// password, keys wrapped in keys (RFC 3394), files in AES-256-CBC with a
// zero IV. Only ever decrypts.
namespace backup {

using notestore::Secret;

// Derivation with more rounds than this is refused: a hostile keybag could
// otherwise stall the program. Real backups ask for 10,000,000.
inline constexpr qint64 kMaxDerivationRounds = 20'000'000;

struct DerivationParameters {
    QByteArray salt;        // SALT
    qint64 iterations = 0;  // ITER
    QByteArray dpsl;        // DPSL: salt of the first round; empty before iOS 10.2
    qint64 dpic = 0;        // DPIC: its rounds
};

// The key that unwraps the class keys: PBKDF2-SHA256 over DPSL/DPIC first
// (when given), then PBKDF2-SHA1 over SALT/ITER. Empty with the reason when
// the parameters are out of range.
Secret deriveBackupKey(const Secret& password, const DerivationParameters& parameters, QString* reason);

// RFC 3394 unwrap of `wrapped` with `key` (16, 24 or 32 bytes); empty when
// it does not unwrap (a wrong key) or the sizes do not fit.
Secret unwrapKey(const Secret& key, const QByteArray& wrapped);

// AES-256-CBC with a zero IV and PKCS#7 padding, decrypted piece by piece.
class CBCDecryptor {
public:
    explicit CBCDecryptor(const Secret& key);
    ~CBCDecryptor();
    CBCDecryptor(const CBCDecryptor&) = delete;
    CBCDecryptor& operator=(const CBCDecryptor&) = delete;

    bool isValid() const { return m_context != nullptr; }
    // Decrypts `size` bytes of `in` into `out`, which must hold size + 16.
    // The count written, or -1.
    qint64 update(const unsigned char* in, qint64 size, unsigned char* out);
    // The last block without its padding into `out` (16 bytes); -1 when the
    // padding is wrong (a damaged file or a wrong key).
    qint64 finish(unsigned char* out);

private:
    void* m_context = nullptr;
};

} // namespace backup
