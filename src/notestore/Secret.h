#pragma once

#include <QtGlobal>
#include <cstddef>
#include <memory>
#include <vector>

namespace notestore {

// Bytes that must not outlive their use: a password or a key. Never copied
// implicitly (a copy would be one more place to wipe), wiped when destroyed.
class Secret {
public:
    Secret() = default;
    // `size` zero bytes, to be filled in place.
    explicit Secret(qsizetype size);
    Secret(const void* bytes, qsizetype size);
    ~Secret() { wipe(); }
    Secret(Secret&& other) noexcept;
    Secret& operator=(Secret&& other) noexcept;
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    Secret clone() const { return Secret(m_data.get(), m_size); }
    unsigned char* data() { return m_data.get(); }
    const unsigned char* data() const { return m_data.get(); }
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    bool operator==(const Secret& other) const;
    // Overwrites the bytes and empties the secret.
    void wipe();

private:
    std::unique_ptr<unsigned char[]> m_data;
    qsizetype m_size = 0;
};

// The passwords a user gave for locked notes, in the order given; each is
// tried on every locked note.
using PasswordList = std::vector<Secret>;

} // namespace notestore
