#pragma once

#include "platform/Color.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>

// The colour category shared with Ostrel: property-list form, comparison,
// white and black across the colour lists, the note background colour,
// highlight colours, a menu swatch and CSS colour strings. A null ColorPtr
// stands for a missing colour; no function keeps state.
namespace otl {

using ColorPtr = platform::ColorRef;

// A decimal number: mantissa * 10^-scale, or not a number (text that does
// not read as a number, or a value too large for the mantissa).
struct Decimal {
    std::int64_t mantissa = 0;
    int scale = 0;
    bool notANumber = false;
    double toDouble() const;
    QString toString() const; // "0.123", "-1.5", "2", "NaN"
    bool operator==(const Decimal& other) const; // compares values, not scales
};

// ---- Colours from resources and colour lists

ColorPtr powerColor();        // "PowerColor", null when the resource is missing
ColorPtr linkTextColor();     // powerColor shadowed by 0.1, null with it
ColorPtr yellowHighlightColor();
ColorPtr greenHighlightColor();
ColorPtr blueHighlightColor();
ColorPtr pinkHighlightColor();
ColorPtr purpleHighlightColor();
QList<ColorPtr> allHighlightColors();   // yellow, green, blue, pink, purple
QStringList allHighlightColorNames();   // localised "Yellow", "Green", "Blue", "Pink", "Purple"

// Never null: fall back to plain white or black when the list or key is missing.
ColorPtr appleWhiteColor();
ColorPtr appleBlackColor();
ColorPtr crayonsWhiteColor();
ColorPtr crayonsBlackColor();

// The colour stored under "OTLNoteDefaultBackgroundColor" in the standard
// user defaults, read on every call; the text background colour when
// nothing usable, white or black is stored. Never null.
ColorPtr defaultNoteBackgroundColor();

// A disc swatch of `size` points for colour menus; white for null.
QImage menuImageForColor(const ColorPtr& color, const QSizeF& size);

// ---- Property-list form

// "red", "green", "blue", "alpha" as doubles in device RGB; empty for a
// colour without a device-RGB form (or null).
QVariantMap propertyListRepresentation(const ColorPtr& color);
// Reads each entry at single precision; missing or unreadable entries are 0.
ColorPtr colorFromPropertyListRepresentation(const QVariantMap& dictionary);

// ---- Comparisons and tests

// Equal catalogue names, or device-RGB components within 2^-52 (inclusive).
// A colour without RGB form (or null) equals nothing.
bool isEqualToColorFernwickVersion(const ColorPtr& color, const ColorPtr& other);
bool isEqualToColorOTLVersion(const ColorPtr& color, const ColorPtr& other);
bool isWhiteColor(const ColorPtr& color); // false for null
bool isBlackColor(const ColorPtr& color); // false for null
// Luminance below 0.65 and alpha above 0.5; false without an RGB form.
bool isDarkColorOstrel(const ColorPtr& color);

// ---- Number formats

// "#rrggbb" in lower case, truncating; null QString without a device-RGB form.
QString hexadecimalString(const ColorPtr& color);
// The six-decimal text of `component` rounded to three decimals, halves away from zero.
Decimal decimalNumberForColorComponent(double component);

// ---- CSS colour strings

// Generic-RGB components, or the colour's white given to each of red, green
// and blue; false when neither can be read. Null pointers are skipped.
bool hcsGetRedGreenBlueAlpha(const ColorPtr& color, double* red, double* green, double* blue, double* alpha);
// Hue, saturation, brightness of the colour itself, or hue 0, saturation 0
// and the white as brightness; false when neither can be read.
bool hcsGetHueSaturationBrightnessAlpha(const ColorPtr& color, double* hue, double* saturation, double* brightness,
                                        double* alpha);

// Each answers a null QString when the components cannot be read.
QString hexStringValue(const ColorPtr& color); // "#RRGGBB" or "#RRGGBBAA"
QString rgbStringValue(const ColorPtr& color); // "rgb(r, g, b)" or "rgba(r, g, b, a)"
QString hslStringValue(const ColorPtr& color); // "hsl(h, s%, l%)" or "hsla(h, s%, l%, a)"

} // namespace otl
