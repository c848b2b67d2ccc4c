#include "notestore/LockedNotes.h"
#include "platform/LocalizedString.h"

namespace notestore {

void LockedNoteKeys::setPasswords(PasswordList passwords)
{
    std::lock_guard lock(m_mutex);
    m_passwords = std::move(passwords);
    m_opened.clear();
    m_derived.clear();
    m_lastOpening = 0;
}

bool LockedNoteKeys::hasPasswords() const
{
    std::lock_guard lock(m_mutex);
    return !m_passwords.empty();
}

const LockedNoteKeys::Opened& LockedNoteKeys::unlock(qint64 id, const LockedKeyParameters& key)
{
    if (const auto known = m_opened.find(id); known != m_opened.end())
        return known->second;
    UnlockedKey unlocked = unlockItemKey(key, m_passwords, m_lastOpening, &m_derived);
    if (unlocked.outcome == CryptoOutcome::Opened)
        m_lastOpening = unlocked.passwordIndex;
    Opened opened{unlocked.outcome, std::move(unlocked.key), unlocked.reason};
    return m_opened.emplace(id, std::move(opened)).first->second;
}

QString LockedNoteKeys::problemFor(CryptoOutcome outcome, const QString& reason)
{
    switch (outcome) {
    case CryptoOutcome::Opened:
        return {};
    case CryptoOutcome::NoPassword:
        return platform::localizedString(kNoPasswordGiven);
    case CryptoOutcome::WrongPassword:
        return platform::localizedString(kWrongPassword);
    case CryptoOutcome::Unsupported:
        return platform::localizedString(kCannotBeOpenedHere);
    case CryptoOutcome::Corrupt:
    case CryptoOutcome::Failed:
        break;
    }
    return platform::localizedString("its body cannot be read (%1)").arg(reason);
}

std::optional<QByteArray> LockedNoteKeys::open(qint64 id, const LockedKeyParameters& key, QByteArrayView ciphertext,
                                               const SealParameters& seal, QString* problem)
{
    std::lock_guard lock(m_mutex);
    const Opened& opened = unlock(id, key);
    if (opened.outcome != CryptoOutcome::Opened) {
        *problem = problemFor(opened.outcome, opened.reason);
        return std::nullopt;
    }
    QByteArray plaintext;
    QString reason;
    const CryptoOutcome outcome = decryptData(opened.key, ciphertext, seal, plaintext, &reason);
    if (outcome != CryptoOutcome::Opened) {
        *problem = problemFor(outcome, reason);
        return std::nullopt;
    }
    return plaintext;
}

CryptoOutcome LockedNoteKeys::itemKey(qint64 id, const LockedKeyParameters& key, Secret& out, QString* problem)
{
    std::lock_guard lock(m_mutex);
    const Opened& opened = unlock(id, key);
    if (opened.outcome == CryptoOutcome::Opened)
        out = opened.key.clone();
    else
        *problem = problemFor(opened.outcome, opened.reason);
    return opened.outcome;
}

} // namespace notestore
