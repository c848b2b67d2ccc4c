#include "backup/BackupCrypto.h"
#include "platform/LocalizedString.h"

#include <openssl/evp.h>

namespace backup {

namespace {

constexpr int kKeyBytes = 32;
constexpr qsizetype kMaxSaltBytes = 1024;

const unsigned char* bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

void setReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

bool checkRound(const QByteArray& salt, qint64 iterations, const char* name, QString* reason)
{
    if (salt.isEmpty() || salt.size() > kMaxSaltBytes) {
        setReason(reason, platform::localizedString("a %1 salt of %2 bytes").arg(QLatin1String(name)).arg(salt.size()));
        return false;
    }
    if (iterations < 1 || iterations > kMaxDerivationRounds) {
        setReason(reason, QStringLiteral("%1 rounds of %2 key derivation").arg(iterations).arg(QLatin1String(name)));
        return false;
    }
    return true;
}

} // namespace

Secret deriveBackupKey(const Secret& password, const DerivationParameters& parameters, QString* reason)
{
    static const char kNothing = 0;
    const bool twoRounds = !parameters.dpsl.isEmpty() || parameters.dpic != 0;
    if ((twoRounds && !checkRound(parameters.dpsl, parameters.dpic, "first", reason))
        || !checkRound(parameters.salt, parameters.iterations, "second", reason))
        return {};
    Secret first;
    const unsigned char* input = password.isEmpty() ? reinterpret_cast<const unsigned char*>(&kNothing) : password.data();
    qsizetype inputSize = password.size();
    if (twoRounds) {
        first = Secret(kKeyBytes);
        if (PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(input), int(inputSize), bytes(parameters.dpsl),
                              int(parameters.dpsl.size()), int(parameters.dpic), EVP_sha256(), kKeyBytes, first.data())
            != 1) {
            setReason(reason, platform::localizedString("the key could not be derived"));
            return {};
        }
        input = first.data();
        inputSize = first.size();
    }
    Secret key(kKeyBytes);
    if (PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(input), int(inputSize), bytes(parameters.salt),
                          int(parameters.salt.size()), int(parameters.iterations), EVP_sha1(), kKeyBytes, key.data())
        != 1) {
        setReason(reason, platform::localizedString("the key could not be derived"));
        return {};
    }
    return key;
}

Secret unwrapKey(const Secret& key, const QByteArray& wrapped)
{
    const EVP_CIPHER* cipher = key.size() == 16 ? EVP_aes_128_wrap()
                             : key.size() == 24 ? EVP_aes_192_wrap()
                             : key.size() == 32 ? EVP_aes_256_wrap()
                                                : nullptr;
    // A wrapped key is the key plus one 8-byte block, in whole blocks.
    if (!cipher || wrapped.size() < 24 || wrapped.size() > 520 || wrapped.size() % 8 != 0)
        return {};
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    if (!context)
        return {};
    EVP_CIPHER_CTX_set_flags(context, EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    Secret out(wrapped.size() + 16);
    int length = 0;
    int finalLength = 0;
    const bool ok = EVP_DecryptInit_ex(context, cipher, nullptr, key.data(), nullptr) == 1
                 && EVP_DecryptUpdate(context, out.data(), &length, bytes(wrapped), int(wrapped.size())) == 1
                 && EVP_DecryptFinal_ex(context, out.data() + length, &finalLength) == 1;
    EVP_CIPHER_CTX_free(context);
    if (!ok || length + finalLength != wrapped.size() - 8)
        return {};
    return Secret(out.data(), length + finalLength);
}

CBCDecryptor::CBCDecryptor(const Secret& key)
{
    if (key.size() != kKeyBytes)
        return;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    static const unsigned char kZeroIV[16] = {};
    if (context && EVP_DecryptInit_ex(context, EVP_aes_256_cbc(), nullptr, key.data(), kZeroIV) == 1)
        m_context = context;
    else
        EVP_CIPHER_CTX_free(context);
}

CBCDecryptor::~CBCDecryptor()
{
    EVP_CIPHER_CTX_free(static_cast<EVP_CIPHER_CTX*>(m_context));
}

qint64 CBCDecryptor::update(const unsigned char* in, qint64 size, unsigned char* out)
{
    int length = 0;
    if (!m_context || EVP_DecryptUpdate(static_cast<EVP_CIPHER_CTX*>(m_context), out, &length, in, int(size)) != 1)
        return -1;
    return length;
}

qint64 CBCDecryptor::finish(unsigned char* out)
{
    int length = 0;
    if (!m_context || EVP_DecryptFinal_ex(static_cast<EVP_CIPHER_CTX*>(m_context), out, &length) != 1)
        return -1;
    return length;
}

} // namespace backup
