#pragma once

#include "app/ImportFlow.h"
#include "platform/Color.h"
#include "platform/KeyedArchiver.h"
#include "platform/UserDefaults.h"
#include "styles/OTLNoteTextStyle.h"
#include "support/TestSupport.h"
#include "text/UserDefaultsExtensions.h"

#include <QList>
#include <gtest/gtest.h>

namespace stylestest {

// The shared suite that another program's saved styles come from.
inline const QString kSuite = QString::fromLatin1(app::kApplicationGroupIdentifier);
inline const QString kBackgroundKey = QStringLiteral("OTLNoteDefaultBackgroundColor");

// Empties the style caches with nothing saved, in the light appearance.
inline void resetCatalogue()
{
    platform::UserDefaults& defaults = platform::UserDefaults::standard();
    defaults.removeSuite(kSuite);
    for (const QString& key : {OTLNoteTextStylesKey, OTLNoteTextStyleDefaultIdentifierKey, kBackgroundKey})
        defaults.removeObject(key);
    platform::UserDefaults(kSuite).removeObject(OTLNoteTextStylesKey);
    OTLNoteTextStyle::reloadStylesFromDefaults();
    platform::setAppearance(platform::Appearance::Light);
}

// `styles` as a keyed archive of a list, the way they are saved.
inline QByteArray archiveOf(const QList<OTLNoteTextStyleRef>& styles)
{
    QVariantList list;
    for (const auto& style : styles)
        list.append(QVariant::fromValue(style));
    return platform::KeyedArchiver::archivedData(list, true, nullptr).value_or(QByteArray());
}

// Saves `styles` in the user defaults, where the catalogue reads them.
inline void saveStyles(const QList<OTLNoteTextStyleRef>& styles)
{
    ASSERT_TRUE(platform::UserDefaults::standard().setObject(archiveOf(styles), OTLNoteTextStylesKey));
    OTLNoteTextStyle::reloadStylesFromDefaults();
}

inline OTLNoteTextStyleRef customStyle(const QString& name)
{
    auto style = OTLNoteTextStyle::create();
    style->setType(OTLNoteTextStyleTypeCustom);
    style->setName(name);
    return style;
}

// A custom style "Quote" with every field set to something not the default.
inline OTLNoteTextStyleRef everyFieldSet()
{
    auto style = customStyle("Quote");
    style->setCustomStyleIdentifier("QUOTE-ID");
    style->setFont(platform::FontCatalog::shared().fontWithName("Menlo-Bold", 13.3));
    platform::ParagraphStyle paragraph;
    paragraph.alignment = platform::TextAlignment::Right;
    paragraph.lineHeightMultiple = 1.2;
    paragraph.tabStops = {{platform::TextAlignment::Center, 40}};
    style->setParagraphStyle(paragraph);
    style->setUnderlineStyle(platform::NSUnderlineStyleDouble);
    style->setStrikethrough(1);
    style->setForegroundColor(platform::Color::withRGBA(0.5, 0.25, 0.125, 1));
    style->setResetOnNewLine(true);
    style->setApplyToParagraph(true);
    return style;
}

// A title in 20-point Menlo, centred, with spacing and a line height.
inline OTLNoteTextStyleRef centredTitle()
{
    auto title = OTLNoteTextStyle::defaultTitleNoteTextStyle();
    title->setFont(platform::FontCatalog::shared().fontWithName("Menlo", 20));
    platform::ParagraphStyle paragraph = title->paragraphStyle();
    paragraph.alignment = platform::TextAlignment::Center;
    paragraph.paragraphSpacing = 6;
    paragraph.lineHeightMultiple = 1.5;
    title->setParagraphStyle(paragraph);
    return title;
}

// Each test starts and ends with an empty catalogue.
class CatalogueTest : public testing::Test {
protected:
    void SetUp() override { resetCatalogue(); }
    void TearDown() override { resetCatalogue(); }
};

} // namespace stylestest
