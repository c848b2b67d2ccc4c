#include "notestore/Secret.h"

#include <cstring>
#include <openssl/crypto.h>

namespace notestore {

Secret::Secret(qsizetype size)
    : m_data(size > 0 ? std::make_unique<unsigned char[]>(size_t(size)) : nullptr), m_size(size > 0 ? size : 0)
{
}

Secret::Secret(const void* bytes, qsizetype size) : Secret(size)
{
    if (m_size > 0)
        std::memcpy(m_data.get(), bytes, size_t(m_size));
}

Secret::Secret(Secret&& other) noexcept : m_data(std::move(other.m_data)), m_size(other.m_size)
{
    other.m_size = 0;
}

Secret& Secret::operator=(Secret&& other) noexcept
{
    if (this != &other) {
        wipe();
        m_data = std::move(other.m_data);
        m_size = other.m_size;
        other.m_size = 0;
    }
    return *this;
}

bool Secret::operator==(const Secret& other) const
{
    return m_size == other.m_size && (m_size == 0 || CRYPTO_memcmp(m_data.get(), other.m_data.get(), size_t(m_size)) == 0);
}

void Secret::wipe()
{
    if (m_data)
        OPENSSL_cleanse(m_data.get(), size_t(m_size));
    m_data.reset();
    m_size = 0;
}

} // namespace notestore
