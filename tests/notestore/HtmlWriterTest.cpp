#include "notestore/HtmlWriter.h"

#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

using notestore::HtmlWriter;

namespace {

// The escaping rules one character at a time, to hold the writer's
// stretch-by-stretch copy against.
QString escapedOneByOne(const QStringList& pieces, bool keepBlanks)
{
    QString out;
    bool afterBlank = true;
    for (const QString& text : pieces) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += text.mid(i++, 2);
                afterBlank = false;
            } else if (QChar::isSurrogate(c) || (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0x7F ||
                       c == 0xFFFE || c == 0xFFFF) {
                out += QChar(0xFFFD);
                afterBlank = false;
            } else if (c == u' ') {
                out += !keepBlanks && afterBlank ? QStringLiteral("&nbsp;") : QStringLiteral(" ");
                afterBlank = keepBlanks || !afterBlank;
            } else {
                const char* entity = c == u'&' ? "&amp;" : c == u'<' ? "&lt;" : c == u'>' ? "&gt;" : c == u'"' ? "&quot;"
                                   : c == u'\'' ? "&#39;" : nullptr;
                out += entity ? QString::fromLatin1(entity) : QString(QChar(c));
                afterBlank = false;
            }
        }
    }
    return out;
}

} // namespace

TEST(HtmlWriter, TextIsEscapedAsCharacterByCharacterForRandomPieces)
{
    // The writer takes UTF-8, which has no lone surrogates.
    const char16_t* alphabet[] = {u"a", u"Z", u" ", u" ", u"&", u"<", u">", u"\"", u"'", u"\t", u"\n", u"\r", u"\x01",
                                  u"\x7F", u"\xE9", u"\uFFFE", u"\uFFFF", u"\uFFFD", u"\uFFFC", u"\U0001F600"};
    QRandomGenerator random(29);
    for (int round = 0; round < 400; ++round) {
        QStringList pieces;
        for (int p = int(random.bounded(4)); p >= 0; --p) {
            QString piece;
            for (int n = int(random.bounded(24)); n > 0; --n)
                piece += QString::fromUtf16(alphabet[random.bounded(int(std::size(alphabet)))]);
            pieces << piece;
        }
        for (const bool preformatted : {false, true}) {
            HtmlWriter writer;
            writer.setPreformatted(preformatted);
            for (const QString& piece : pieces)
                writer.text(piece.toUtf8());
            ASSERT_EQ(QString::fromUtf8(writer.finish()), escapedOneByOne(pieces, preformatted))
                << pieces.join(u'|').toStdString() << (preformatted ? " (pre)" : "");
        }
    }
}
