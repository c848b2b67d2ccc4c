#include "notestore/NoteCrypto.h"
#include "platform/LocalizedString.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace notestore {
namespace {

constexpr int kKeyEncryptingKeyBytes = 16;
constexpr int kWrappedKeyBytes = 24; // a 16-byte key plus the 8-byte integrity block
constexpr int kItemKeyBytes = 16;
constexpr int kTagBytes = 16;
constexpr qsizetype kMaxSaltBytes = 1024;
constexpr qsizetype kMaxIVBytes = 128;
constexpr qsizetype kPieceBytes = 64 * 1024;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

void setReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString quoted(const QString& path)
{
    return u'“' + QDir::toNativeSeparators(path) + u'”';
}

bool checkSeal(const SealParameters& seal, QString* reason)
{
    if (seal.iv.isEmpty() || seal.iv.size() > kMaxIVBytes) {
        setReason(reason, platform::localizedString("an initialization vector of %1 bytes").arg(seal.iv.size()));
        return false;
    }
    if (seal.tag.size() != kTagBytes) {
        setReason(reason, platform::localizedString("an authentication tag of %1 bytes").arg(seal.tag.size()));
        return false;
    }
    return true;
}

// A context ready to decrypt with `key`, or none when the parameters do not fit.
CipherContext openGCM(const Secret& key, const SealParameters& seal)
{
    if (key.size() != kItemKeyBytes)
        return {};
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, int(seal.iv.size()), nullptr) != 1
        || EVP_DecryptInit_ex(context.get(), nullptr, nullptr, key.data(),
                              reinterpret_cast<const unsigned char*>(seal.iv.constData()))
               != 1)
        return {};
    return context;
}

bool finishGCM(EVP_CIPHER_CTX* context, const SealParameters& seal)
{
    QByteArray tag = seal.tag; // the call wants a writable buffer
    if (EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_SET_TAG, int(tag.size()), tag.data()) != 1)
        return false;
    unsigned char rest[16];
    int restLength = 0;
    return EVP_DecryptFinal_ex(context, rest, &restLength) == 1;
}

using FileDescriptor = platform::safefile::Descriptor;

// A new hidden file in `folder`, made exclusively so nothing planted there is reused.
int createHiddenFile(const QString& folder, QString& path, int* code)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        path = folder + QStringLiteral("/.decrypting-%1").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                                              QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            *code = errno;
            return -1;
        }
    }
    *code = EEXIST;
    return -1;
}

} // namespace

CryptoOutcome checkKeyParameters(const LockedKeyParameters& parameters, QString* reason)
{
    if (parameters.salt.isEmpty() || parameters.salt.size() > kMaxSaltBytes) {
        setReason(reason, platform::localizedString("a salt of %1 bytes").arg(parameters.salt.size()));
        return CryptoOutcome::Unsupported;
    }
    if (parameters.iterations < 1 || parameters.iterations > kMaxCryptoIterations) {
        setReason(reason, platform::localizedString("%1 key derivation rounds").arg(parameters.iterations));
        return CryptoOutcome::Unsupported;
    }
    if (parameters.wrappedKey.size() != kWrappedKeyBytes) {
        setReason(reason, platform::localizedString("a wrapped key of %1 bytes").arg(parameters.wrappedKey.size()));
        return CryptoOutcome::Unsupported;
    }
    return CryptoOutcome::Opened;
}

bool deriveKeyEncryptingKey(const Secret& password, const QByteArray& salt, qint64 iterations, Secret& out)
{
    out = Secret(kKeyEncryptingKeyBytes);
    static const char kNothing = 0;
    if (PKCS5_PBKDF2_HMAC(password.isEmpty() ? &kNothing : reinterpret_cast<const char*>(password.data()),
                          int(password.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), int(iterations), EVP_sha256(), kKeyEncryptingKeyBytes, out.data())
        != 1) {
        out.wipe();
        return false;
    }
    return true;
}

CryptoOutcome unwrapWithKeyEncryptingKey(const Secret& keyEncryptingKey, const QByteArray& wrappedKey, Secret& key,
                                         QString* reason)
{
    key.wipe();
    if (keyEncryptingKey.size() != kKeyEncryptingKeyBytes || wrappedKey.size() != kWrappedKeyBytes) {
        setReason(reason, platform::localizedString("a wrapped key of %1 bytes").arg(wrappedKey.size()));
        return CryptoOutcome::Unsupported;
    }
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) {
        setReason(reason, platform::localizedString("out of memory"));
        return CryptoOutcome::Failed;
    }
    EVP_CIPHER_CTX_set_flags(context.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    // Room for a whole block more than the key, as the cipher may ask for it.
    Secret unwrapped(kWrappedKeyBytes + 16);
    int length = 0;
    int finalLength = 0;
    const bool ok = EVP_DecryptInit_ex(context.get(), EVP_aes_128_wrap(), nullptr, keyEncryptingKey.data(), nullptr) == 1
                    && EVP_DecryptUpdate(context.get(), unwrapped.data(), &length,
                                         reinterpret_cast<const unsigned char*>(wrappedKey.constData()),
                                         int(wrappedKey.size()))
                           == 1
                    && EVP_DecryptFinal_ex(context.get(), unwrapped.data() + length, &finalLength) == 1
                    && length + finalLength == kItemKeyBytes;
    if (!ok)
        return CryptoOutcome::WrongPassword;
    key = Secret(unwrapped.data(), kItemKeyBytes);
    return CryptoOutcome::Opened;
}

CryptoOutcome unwrapItemKey(const LockedKeyParameters& parameters, const Secret& password, Secret& key,
                            QString* reason)
{
    key.wipe();
    if (const CryptoOutcome checked = checkKeyParameters(parameters, reason); checked != CryptoOutcome::Opened)
        return checked;
    Secret keyEncryptingKey;
    if (!deriveKeyEncryptingKey(password, parameters.salt, parameters.iterations, keyEncryptingKey)) {
        setReason(reason, platform::localizedString("the key could not be derived"));
        return CryptoOutcome::Failed;
    }
    return unwrapWithKeyEncryptingKey(keyEncryptingKey, parameters.wrappedKey, key, reason);
}

UnlockedKey unlockItemKey(const LockedKeyParameters& parameters, const PasswordList& passwords, int firstTry,
                          DerivedKeys* derived)
{
    UnlockedKey result;
    if (passwords.empty())
        result.outcome = CryptoOutcome::NoPassword;
    const size_t count = passwords.size();
    for (size_t tried = 0; tried < count; ++tried) {
        const size_t index = (size_t(std::max(firstTry, 0)) + tried) % count;
        if (!derived) {
            result.outcome = unwrapItemKey(parameters, passwords[index], result.key, &result.reason);
        } else if ((result.outcome = checkKeyParameters(parameters, &result.reason)) == CryptoOutcome::Opened) {
            const Secret* keyEncryptingKey = derived->keyFor(int(index), passwords[index], parameters);
            if (!keyEncryptingKey) {
                result.reason = platform::localizedString("the key could not be derived");
                result.outcome = CryptoOutcome::Failed;
            } else {
                result.outcome =
                    unwrapWithKeyEncryptingKey(*keyEncryptingKey, parameters.wrappedKey, result.key, &result.reason);
            }
        }
        if (result.outcome == CryptoOutcome::Opened)
            result.passwordIndex = int(index);
        // Only a wrong password is worth another try: the rest holds for every password.
        if (result.outcome != CryptoOutcome::WrongPassword)
            break;
    }
    return result;
}

const Secret* DerivedKeys::keyFor(int passwordIndex, const Secret& password, const LockedKeyParameters& parameters)
{
    const Key key{passwordIndex, parameters.salt, parameters.iterations};
    if (const auto known = m_keys.find(key); known != m_keys.end())
        return &known->second;
    Secret derived;
    if (!deriveKeyEncryptingKey(password, parameters.salt, parameters.iterations, derived))
        return nullptr;
    // A bound for hostile databases of endless salts: forgetting only costs time.
    if (m_keys.size() >= kMaxKeys)
        m_keys.clear();
    return &m_keys.emplace(key, std::move(derived)).first->second;
}

CryptoOutcome decryptData(const Secret& key, QByteArrayView ciphertext, const SealParameters& seal,
                          QByteArray& plaintext, QString* reason)
{
    plaintext.clear();
    if (!checkSeal(seal, reason))
        return CryptoOutcome::Unsupported;
    const CipherContext context = openGCM(key, seal);
    if (!context) {
        setReason(reason, platform::localizedString("the decryption could not start"));
        return CryptoOutcome::Failed;
    }
    plaintext.resize(ciphertext.size());
    int length = 0;
    if (EVP_DecryptUpdate(context.get(), reinterpret_cast<unsigned char*>(plaintext.data()), &length,
                          reinterpret_cast<const unsigned char*>(ciphertext.data()), int(ciphertext.size()))
            != 1
        || !finishGCM(context.get(), seal)) {
        // Unauthenticated output is never handed on.
        OPENSSL_cleanse(plaintext.data(), size_t(plaintext.size()));
        plaintext.clear();
        setReason(reason, platform::localizedString("the data does not match its authentication tag"));
        return CryptoOutcome::Corrupt;
    }
    plaintext.resize(length);
    return CryptoOutcome::Opened;
}

CryptoOutcome decryptFile(const Secret& key, const QString& sourcePath, const QString& destinationPath,
                          const SealParameters& seal, QString* reason, qint64 maxBytes)
{
    const auto cannotRead = [&](const QString& why) {
        setReason(reason, platform::localizedString("The file %1 couldn’t be read: %2").arg(quoted(sourcePath), why));
        return CryptoOutcome::Failed;
    };
    QString sealProblem;
    if (!checkSeal(seal, &sealProblem)) {
        setReason(reason, platform::localizedString("The file %1 is encrypted in an unknown way (%2)").arg(quoted(sourcePath),
                                                                                             sealProblem));
        return CryptoOutcome::Unsupported;
    }
    // Non-blocking so a FIFO planted at the name cannot stall the open.
    FileDescriptor in(::open(QFile::encodeName(sourcePath).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0)
        return cannotRead(errno == ELOOP ? platform::localizedString("it is a symbolic link") : systemReason(errno));
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return cannotRead(systemReason(errno));
    if (!S_ISREG(info.st_mode))
        return cannotRead(platform::localizedString("it is not a regular file"));
    if (info.st_size > maxBytes)
        return cannotRead(platform::localizedString("it is larger than %1 bytes").arg(maxBytes));

    const CipherContext context = openGCM(key, seal);
    if (!context)
        return cannotRead(platform::localizedString("the decryption could not start"));

    const QString folder = QFileInfo(destinationPath).absolutePath();
    QString hiddenPath;
    int code = 0;
    FileDescriptor out(createHiddenFile(folder, hiddenPath, &code));
    if (out.get() < 0) {
        setReason(reason, platform::localizedString("The file %1 couldn’t be saved: %2").arg(quoted(destinationPath),
                                                                                 systemReason(code)));
        return CryptoOutcome::Failed;
    }
    const QByteArray hiddenName = QFile::encodeName(hiddenPath);
    const auto discard = [&](CryptoOutcome outcome, const QString& why) {
        ::close(out.release());
        ::unlink(hiddenName.constData());
        setReason(reason, why);
        return outcome;
    };
    const auto cannotSave = [&](int failure) {
        return discard(CryptoOutcome::Failed, platform::localizedString("The file %1 couldn’t be saved: %2")
                                                  .arg(quoted(destinationPath), systemReason(failure)));
    };

    // The decrypted piece holds private text: wiped, not just freed.
    Secret piece(kPieceBytes);
    Secret plain(kPieceBytes + 16);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(in.get(), piece.data(), size_t(piece.size()));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int failure = errno;
            return discard(CryptoOutcome::Failed, platform::localizedString("The file %1 couldn’t be read: %2")
                                                      .arg(quoted(sourcePath), systemReason(failure)));
        }
        total += got;
        if (total > maxBytes)
            return discard(CryptoOutcome::Failed, platform::localizedString("The file %1 couldn’t be read: it is larger than "
                                                                 "%2 bytes")
                                                      .arg(quoted(sourcePath))
                                                      .arg(maxBytes));
        int length = 0;
        if (EVP_DecryptUpdate(context.get(), plain.data(), &length, piece.data(), int(got)) != 1)
            return discard(CryptoOutcome::Corrupt, platform::localizedString("The file %1 couldn’t be decrypted")
                                                       .arg(quoted(sourcePath)));
        if (!platform::safefile::writeFully(out.get(), plain.data(), size_t(length), &code))
            return cannotSave(code);
    }
    if (!finishGCM(context.get(), seal))
        return discard(CryptoOutcome::Corrupt, platform::localizedString("The file %1 is damaged: it does not match its "
                                                              "authentication tag")
                                                   .arg(quoted(sourcePath)));
    if (::close(out.release()) != 0)
        return cannotSave(errno);
    if (::rename(hiddenName.constData(), QFile::encodeName(destinationPath).constData()) != 0) {
        code = errno;
        ::unlink(hiddenName.constData());
        setReason(reason, platform::localizedString("The file %1 couldn’t be saved: %2").arg(quoted(destinationPath),
                                                                                 systemReason(code)));
        return CryptoOutcome::Failed;
    }
    return CryptoOutcome::Opened;
}

} // namespace notestore
