#pragma once

#include "platform/Color.h"
#include "styles/OTLNoteTextStyle.h"

#include <QList>

namespace stylestest {

// Empties the style caches with nothing saved, in the light appearance.
inline void resetCatalogue()
{
    OTLNoteTextStyle::setSavedStylesReaderForTesting({});
    OTLNoteTextStyle::reloadStylesFromDefaults();
    platform::setAppearance(platform::Appearance::Light);
}

// Makes the catalogue read `styles` as the saved ones.
inline void saveStyles(QList<OTLNoteTextStyleRef> styles)
{
    OTLNoteTextStyle::setSavedStylesReaderForTesting([styles] { return styles; });
    OTLNoteTextStyle::reloadStylesFromDefaults();
}

} // namespace stylestest
