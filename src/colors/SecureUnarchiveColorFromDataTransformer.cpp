#include "colors/SecureUnarchiveColorFromDataTransformer.h"

QStringList OTLSecureUnarchiveColorFromDataTransformer::allowedTopLevelClasses() const
{
    return {QStringLiteral("NSColor")};
}
