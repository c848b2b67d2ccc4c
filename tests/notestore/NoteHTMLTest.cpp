// The body-to-HTML builder: the shapes of every style and well-formed
// output with every character kept whatever the runs say.
#include "notestore/InlineStyle.h"
#include "notestore/NoteHTML.h"
#include "notestore/WellFormedHTML.h"
#include "notestore.pb.h"

#include <gtest/gtest.h>

#include <random>

using namespace notestore;
using namespace Qt::StringLiterals;

namespace {

using Style = std::function<void(pb::Run&)>;

// A run of `length` UTF-16 units; `style` adjusts it.
struct RunSpec {
    qint64 length;
    Style style = {};
};

// The text is stored as these bytes, which need not be valid UTF-8; the runs
// count the UTF-16 units of what they decode to.
pb::NoteText noteText(const char* bytes, std::initializer_list<RunSpec> runs)
{
    pb::NoteText note;
    note.set_text(bytes);
    for (const RunSpec& spec : runs) {
        pb::Run* run = note.add_run();
        run->set_length(spec.length);
        if (spec.style)
            spec.style(*run);
    }
    return note;
}

// Paragraph styles for RunSpec.
Style paragraph(int style, int indent = 0, bool quote = false, int done = -1)
{
    return [=](pb::Run& run) {
        auto* p = run.mutable_paragraph();
        p->set_style(style);
        if (indent)
            p->set_indent(indent);
        if (quote)
            p->set_block_quote(1);
        if (done >= 0)
            p->mutable_checklist()->set_done(done);
    };
}

Style bold = [](pb::Run& r) { r.set_font_weight(1); };
Style italic = [](pb::Run& r) { r.set_font_weight(2); };
Style boldItalic = [](pb::Run& r) { r.set_font_weight(3); };
Style underline = [](pb::Run& r) { r.set_underline(1); };
Style strike = [](pb::Run& r) { r.set_strikethrough(1); };
Style superscript = [](pb::Run& r) { r.set_baseline(1); };
Style subscript = [](pb::Run& r) { r.set_baseline(-1); };
Style link(const char* url) { return [=](pb::Run& r) { r.set_link(url); }; }
Style both(Style a, Style b) { return [=](pb::Run& r) { a(r); b(r); }; }

// Draws every attachment as a marker naming it.
class MarkerRenderer : public AttachmentRenderer {
public:
    QString htmlForAttachment(const QString& identifier, const QString& typeUTI, int depth) override
    {
        return u"<img alt=\"%1 %2 %3\">"_s.arg(identifier, typeUTI).arg(depth);
    }
};

TEST(NoteShapeTest, WritesTheExpectedHTML)
{
    const struct {
        const char* name;
        pb::NoteText note;
        const char* html;
    } cases[] = {
        {"Monospaced",
         noteText("x  = 1\n  y\n\nz\n", {{10, paragraph(4)}, {1, paragraph(4)}, {2, paragraph(4)}}),
         "<pre>x  = 1\n  y</pre><div><br></div><pre>z</pre>"},
        {"Nested",
         noteText("a\nb\nc\nd\n",
                  {{2, paragraph(100)}, {2, paragraph(100, 1)}, {2, paragraph(102, 2)}, {2, paragraph(100)}}),
         "<ul><li>a<ul><li>b<ol><li>c</li></ol></li></ul></li><li>d</li></ul>"},
        {"Checklist",
         noteText("done\nopen\n", {{5, paragraph(103, 0, false, 1)}, {5, paragraph(103, 0, false, 0)}}),
         "<ul class=\"checklist\"><li class=\"checked\">\u2611 done</li><li class=\"unchecked\">\u2610 open</li></ul>"},
        {"BlockQuote",
         noteText("q\nr\nplain\n", {{2, paragraph(-1, 0, true)}, {2, paragraph(100, 0, true)}, {6}}),
         "<blockquote><div>q</div><ul><li>r</li></ul></blockquote><div>plain</div>"},
        {"Decorations",
         noteText("bibiusspb",
                  {{1, bold}, {1, italic}, {2, boldItalic}, {1, underline}, {1, strike}, {1, superscript},
                   {1, subscript}, {1, both(bold, underline)}}),
         "<div><b>b</b><i>i</i><b><i>bi</i></b><u>u</u><strike style=\"text-decoration:line-through\">s</strike><sup>s</sup><sub>p</sub><b><u>b</u></b></div>"},
        {"Link", noteText("see x", {{4}, {1, both(link("https://example.org/?a=1&b=\"2\""), bold)}}),
         "<div>see <a href=\"https://example.org/?a=1&amp;b=%222%22\"><b>x</b></a></div>"},
        {"Escaping", noteText("<b>&\"'</b>", {{10}}), "<div>&lt;b&gt;&amp;&quot;&#39;&lt;/b&gt;</div>"},
        {"ControlCharacters", noteText("a\x01" "b\x7f", {{4}}), "<div>a\uFFFDb\uFFFD</div>"},
        // Run lengths that do not fit the text.
        {"ZeroAndNegativeRuns", noteText("abc", {{0, bold}, {-5, italic}, {1, underline}, {2}}),
         "<div><u>a</u>bc</div>"},
        {"HugeRun", noteText("ab", {{std::numeric_limits<qint64>::max(), bold}}), "<div><b>ab</b></div>"},
        // Bytes that are not UTF-8 read as U+FFFD, a leading byte order mark
        // is no character, and the runs count what is left.
        {"InvalidBytes", noteText("a\xFF" "b\xC0\xAF" "c", {{2, bold}, {1, italic}, {9, bold}}),
         "<div><b>a\xEF\xBF\xBD</b><i>b</i><b>\xEF\xBF\xBD\xEF\xBF\xBD" "c</b></div>"},
        {"EncodedSurrogate", noteText("a\xED\xA0\x80" "b", {{2, bold}, {9, italic}}),
         "<div><b>a\xEF\xBF\xBD</b><i>\xEF\xBF\xBD\xEF\xBF\xBD" "b</i></div>"},
        {"CutSequence", noteText("a\xE2\x80", {{1, bold}, {9, italic}}), "<div><b>a</b><i>\xEF\xBF\xBD\xEF\xBF\xBD</i></div>"},
        {"LeadingByteOrderMark", noteText("\xEF\xBB\xBF" "ab\xEF\xBB\xBF" "c", {{1, bold}, {2, italic}, {9, bold}}),
         "<div><b>a</b><i>b\xEF\xBB\xBF</i><b>c</b></div>"},
        {"HugeIndent", noteText("a", {{1, paragraph(100, 1 << 30)}}),
         "<ul><ul><ul><ul><ul><ul><ul><ul><ul><ul><ul><li>a</li></ul></ul></ul></ul></ul></ul></ul></ul></ul></ul></ul>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString html = htmlForNote(c.note);
        EXPECT_EQ(html, QString::fromUtf8(c.html));
        EXPECT_EQ(wellformed::check(html), QString());
    }
}

TEST(NoteHTMLTest, LinkTargets)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"https://example.org/a b", "https://example.org/a%20b"},
        {"mailto:ann@example.org", "mailto:ann@example.org"},
        {"applenotes:note/0F2B", "applenotes:note/0F2B"},
        {"  https://example.org  ", "https://example.org"},
        {" JavaScript:alert(1)", ""},
        {"java\tscript:alert(1)", ""},
        {"\x01javascript:alert(1)", ""},
        {"vbscript:x", ""},
        {"data:text/html,<script>", ""},
        {"x-exported-note:N-1", ""}, // only links Notes made name notes
        {"", ""},
        {"   ", ""},
    };
    for (const auto& [link, target] : cases)
        EXPECT_EQ(safeLinkTarget(link), QString::fromUtf8(target)) << link;
}

// What is read, without paragraph ends, line separators (empty paragraphs
// are drawn as <br>), attachments and checklist marks: the note's text and
// the HTML's must then agree.
QString textShown(QString text)
{
    for (const QString& left : {u"\n"_s, u"\uFFFC"_s, u"\u2028"_s, u"\u2611 "_s, u"\u2610 "_s})
        text.remove(left);
    return text;
}

// Random texts and random runs: lengths that overshoot, undershoot, split
// surrogate pairs or are zero, and every paragraph and character style.
pb::NoteText randomNote(std::mt19937& random)
{
    static const std::vector<QString> pieces = {
        u"a"_s, u" "_s, u"  "_s, u"<"_s, u"&"_s,
        u"\""_s, u"\n"_s, u"\n"_s, u"\u2028"_s,
        u"\uFFFC"_s, u"\U0001F600"_s, u"\U0001F469\u200D\U0001F4BB"_s,
        u"\u9ad4"_s, u"word"_s,
    };
    static const std::vector<int> styles = {-1, 0, 1, 2, 4, 100, 101, 102, 103, 7};
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    QString text;
    for (int i = pick(40); i > 0; --i)
        text += pieces[size_t(pick(int(pieces.size())))];
    pb::NoteText note;
    note.set_text(text.toStdString());
    for (int i = pick(12); i > 0; --i) {
        pb::Run* run = note.add_run();
        run->set_length(pick(10) == 0 ? -pick(3) : pick(12));
        if (pick(2)) {
            auto* p = run->mutable_paragraph();
            p->set_style(styles[size_t(pick(int(styles.size())))]);
            p->set_indent(pick(4));
            p->set_alignment(pick(5));
            p->set_block_quote(pick(3) == 0);
            p->mutable_checklist()->set_done(pick(2));
        }
        run->set_font_weight(pick(5));
        run->set_underline(pick(3) == 0);
        run->set_strikethrough(pick(4) == 0);
        run->set_baseline(pick(3) - 1);
        if (pick(4) == 0)
            run->set_link(pick(2) ? "https://example.org/<x>" : "javascript:void(0)");
        if (pick(4) == 0)
            run->mutable_color()->set_blue(0.5f);
        if (pick(5) == 0)
            run->set_highlight(pick(7));
        if (pick(4) == 0)
            run->mutable_attachment()->set_identifier("ATT");
    }
    return note;
}

TEST(NoteHTMLTest, RandomRunsGiveWellFormedHTMLWithEveryCharacter)
{
    std::mt19937 random(20261207);
    MarkerRenderer renderer;
    for (int i = 0; i < 3000; ++i) {
        const pb::NoteText note = randomNote(random);
        const QString html = htmlForNote(note);
        QString text;
        ASSERT_EQ(wellformed::check(html, &text), QString()) << "case " << i << ": " << qPrintable(html);
        ASSERT_EQ(textShown(text), textShown(QString::fromStdString(note.text()))) << "case " << i;
        // With a renderer the markers stand where the attachments were.
        ASSERT_EQ(wellformed::check(QString::fromUtf8(htmlForNote(note, &renderer))), QString()) << "case " << i;
    }
}

} // namespace
