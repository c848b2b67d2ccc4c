#pragma once

#include <QString>

namespace platform {

// Error domains used by our own layer.
inline constexpr const char* kPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* kCocoaErrorDomain = "NSCocoaErrorDomain";

// An error handed back through an out-parameter or a result; never thrown.
class Error {
public:
    Error() = default;
    Error(QString domain, int code, QString localizedDescription)
        : m_domain(std::move(domain)), m_code(code), m_description(std::move(localizedDescription)) {}

    const QString& domain() const { return m_domain; }
    int code() const { return m_code; }
    const QString& localizedDescription() const { return m_description; }

    bool operator==(const Error&) const = default;

    // A file-system error for `errnoValue`, described for the user as
    // "<what>: <system message>." (what names the action and the item).
    static Error fromErrno(int errnoValue, const QString& what);

private:
    QString m_domain;
    int m_code = 0;
    QString m_description;
};

// Stores `error` through `out` when the caller asked for it.
inline void setError(Error* out, Error error)
{
    if (out)
        *out = std::move(error);
}

} // namespace platform
