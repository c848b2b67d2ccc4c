#pragma once

#include "platform/Error.h"
#include "platform/UserDefaults.h"

#include <QString>
#include <QVariant>

// Objects kept in user defaults as keyed archives with secure coding.
namespace fw {

inline const QString OTLUserDefaultsArchivingErrorDomain = QStringLiteral("OTLUserDefaultsArchivingErrorDomain");
inline constexpr int OTLUserDefaultsArchivingErrorNoSuchValue = 10001;

// Archives `object` and stores the data under `key` in the defaults' own
// domain. False (with the error) when no archive could be made, the value
// already stored then stays, or when the defaults could not be written.
bool archiveObject(platform::UserDefaults& defaults, const QVariant& object, const QString& key,
                   platform::Error* error = nullptr);

// The root object of the archive under `key` when it is of class
// `className` (everything inside it too); otherwise an invalid QVariant with
// the error. A missing key (or a value that is not data) fails with
// OTLUserDefaultsArchivingErrorNoSuchValue and logs nothing; other
// failures are logged.
QVariant unarchiveObjectOfClass(const platform::UserDefaults& defaults, const QString& className, const QString& key,
                                platform::Error* error = nullptr);

// An error as one log line's worth: its description, domain and code.
QString errorLogDescription(const platform::Error& error);

} // namespace fw
