#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Encrypts test data the way the Notes database keeps locked notes and
// their media, with a password the test chooses.
namespace testsupport {

// The columns of one locked item: key parameters, IV, tag and ciphertext.
struct LockedItem {
    QByteArray salt;
    qint64 iterations = 0;
    QByteArray wrappedKey;
    QByteArray iv;
    QByteArray tag;
    QByteArray ciphertext;
};

// Fresh item key and IV each call, and a fresh salt unless one is given
// (notes of one account share theirs). Few rounds keep the tests quick;
// the reader does not care how many there are.
LockedItem lockWithPassword(QByteArrayView plaintext, const QByteArray& password, qint64 iterations = 1000,
                            const QByteArray& salt = {});

} // namespace testsupport
