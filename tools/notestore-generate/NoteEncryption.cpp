#include "notestore-generate/NoteEncryption.h"

#include <memory>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace testsupport {
namespace {

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), size) != 1)
        throw std::runtime_error("RAND_bytes failed");
    return bytes;
}

unsigned char* bytes(QByteArray& data)
{
    return reinterpret_cast<unsigned char*>(data.data());
}

const unsigned char* bytes(QByteArrayView data)
{
    return reinterpret_cast<const unsigned char*>(data.data());
}

void check(int result, const char* what)
{
    if (result != 1)
        throw std::runtime_error(what);
}

} // namespace

LockedItem lockWithPassword(QByteArrayView plaintext, const QByteArray& password, qint64 iterations,
                            const QByteArray& salt)
{
    LockedItem item;
    item.salt = salt.isEmpty() ? randomBytes(16) : salt;
    item.iterations = iterations;
    item.iv = randomBytes(16);
    QByteArray itemKey = randomBytes(16);
    QByteArray keyEncryptingKey(16, '\0');
    check(PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()), bytes(QByteArrayView(item.salt)),
                            int(item.salt.size()), int(iterations), EVP_sha256(), 16, bytes(keyEncryptingKey)),
          "PBKDF2");

    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> wrap(EVP_CIPHER_CTX_new());
    EVP_CIPHER_CTX_set_flags(wrap.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    item.wrappedKey.resize(24 + 16);
    int length = 0;
    int finalLength = 0;
    check(EVP_EncryptInit_ex(wrap.get(), EVP_aes_128_wrap(), nullptr, bytes(QByteArrayView(keyEncryptingKey)), nullptr),
          "wrap init");
    check(EVP_EncryptUpdate(wrap.get(), bytes(item.wrappedKey), &length, bytes(QByteArrayView(itemKey)), 16), "wrap");
    check(EVP_EncryptFinal_ex(wrap.get(), bytes(item.wrappedKey) + length, &finalLength), "wrap final");
    item.wrappedKey.resize(length + finalLength);

    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> gcm(EVP_CIPHER_CTX_new());
    check(EVP_EncryptInit_ex(gcm.get(), EVP_aes_128_gcm(), nullptr, nullptr, nullptr), "gcm init");
    check(EVP_CIPHER_CTX_ctrl(gcm.get(), EVP_CTRL_GCM_SET_IVLEN, int(item.iv.size()), nullptr), "gcm iv length");
    check(EVP_EncryptInit_ex(gcm.get(), nullptr, nullptr, bytes(QByteArrayView(itemKey)), bytes(QByteArrayView(item.iv))),
          "gcm key");
    item.ciphertext.resize(plaintext.size() + 16);
    length = 0;
    if (!plaintext.isEmpty())
        check(EVP_EncryptUpdate(gcm.get(), bytes(item.ciphertext), &length, bytes(plaintext), int(plaintext.size())),
              "gcm");
    check(EVP_EncryptFinal_ex(gcm.get(), bytes(item.ciphertext) + length, &finalLength), "gcm final");
    item.ciphertext.resize(length + finalLength);
    item.tag.resize(16);
    check(EVP_CIPHER_CTX_ctrl(gcm.get(), EVP_CTRL_GCM_GET_TAG, 16, item.tag.data()), "gcm tag");
    return item;
}

} // namespace testsupport
