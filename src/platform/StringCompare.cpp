#include "platform/StringCompare.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <memory>

namespace platform {

namespace {

std::unique_ptr<icu::Collator> makeCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(
        icu::Collator::createInstance(icu::Locale(collationLocaleID().constData()), status));
    if (U_FAILURE(status) || !collator)
        return nullptr;
    collator->setStrength(icu::Collator::SECONDARY);
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    return collator;
}

icu::UnicodeString unicode(const QString& string)
{
    return icu::UnicodeString(reinterpret_cast<const UChar*>(string.utf16()), int32_t(string.size()));
}

} // namespace

QByteArray collationLocaleID()
{
    // The C locale maps to en_US_POSIX, which orders by code point; the
    // root order is what a user without a language setting expects.
    const icu::Locale locale = icu::Locale::getDefault();
    if (QLatin1String(locale.getVariant()).compare(QLatin1String("POSIX"), Qt::CaseInsensitive) == 0)
        return QByteArrayLiteral("root");
    return QByteArray(locale.getName());
}

int localizedStandardCompare(const QString& string, const QString& other)
{
    // A collator is not safe to share between threads; one per thread.
    thread_local const std::unique_ptr<icu::Collator> collator = makeCollator();
    if (!collator)
        return string.compare(other, Qt::CaseInsensitive);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = collator->compare(unicode(string), unicode(other), status);
    if (U_FAILURE(status))
        return string.compare(other, Qt::CaseInsensitive);
    return int(result);
}

} // namespace platform
