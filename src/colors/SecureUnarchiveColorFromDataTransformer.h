#pragma once

#include "platform/KeyedArchiver.h"

// Reads a keyed archive whose root object is a colour (the note background
// colour that Ostrel stores); anything else reads as nothing.
class OTLSecureUnarchiveColorFromDataTransformer : public platform::SecureUnarchiveFromDataTransformer {
public:
    QStringList allowedTopLevelClasses() const override;
};
