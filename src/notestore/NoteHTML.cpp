#include "notestore/NoteHTML.h"

#include "notestore/HtmlWriter.h"
#include "notestore/InlineStyle.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace notestore {

namespace {

// U+FFFC and U+2028 in UTF-8.
constexpr char kAttachmentCharacter[] = "\xEF\xBF\xBC";
constexpr char kLineSeparator[] = "\xE2\x80\xA8";
// Deeper list levels are drawn at this one.
constexpr int kMaxIndent = 10;

// The text as UTF-8 that decodes to what QString::fromUtf8() makes of it:
// as it is when it is valid, else cleaned once (invalid bytes become
// U+FFFD, a leading byte order mark goes).
QByteArray validText(const std::string& text)
{
    const QByteArrayView bytes(text);
    if (bytes.isValidUtf8() && !bytes.startsWith("\xEF\xBB\xBF"))
        return QByteArray(text.data(), qsizetype(text.size()));
    return QString::fromUtf8(bytes).toUtf8();
}

// Bytes in a UTF-8 character from its first byte.
qsizetype sequenceLength(unsigned char lead)
{
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// A stretch of the text with one run's style, in bytes of the UTF-8 text.
struct Span {
    qsizetype start;
    qsizetype end;
    const pb::Run* run; // null: plain text
    bool extended;      // text past the last run, in the last run's style
};

// Lays the runs over the text: runs of no length are skipped, a run that
// would split a surrogate pair keeps the whole pair, text the runs do not
// reach takes the last run's style, runs past the text's end are ignored.
// Runs count UTF-16 code units; one walk along the text turns them into
// byte offsets.
std::vector<Span> layOut(const pb::NoteText& note, const QByteArray& text)
{
    std::vector<Span> spans;
    const qsizetype size = text.size();
    qsizetype position = 0;  // in bytes
    qint64 position16 = 0;   // the same in UTF-16 code units
    for (const pb::Run& run : note.run()) {
        if (position >= size)
            break;
        if (run.length() <= 0)
            continue;
        const qint64 end16 = position16 + std::min<qint64>(run.length(), std::numeric_limits<qint64>::max() - position16);
        qsizetype end = position;
        // A character of four bytes is a surrogate pair: a run ending
        // inside it takes it whole.
        while (end < size && position16 < end16) {
            // Eight ASCII bytes at once, where the run reaches past them.
            if (end16 - position16 >= 8 && size - end >= 8) {
                quint64 word;
                std::memcpy(&word, text.constData() + end, sizeof word);
                if ((word & 0x8080808080808080ULL) == 0) {
                    end += 8;
                    position16 += 8;
                    continue;
                }
            }
            const qsizetype length = sequenceLength(static_cast<unsigned char>(text[end]));
            end = std::min(size, end + length);
            position16 += length == 4 ? 2 : 1;
        }
        spans.push_back({position, end, &run, false});
        position = end;
    }
    if (position < size)
        spans.push_back({position, size, spans.empty() ? nullptr : spans.back().run, true});
    return spans;
}

// Whether the UTF-8 character `character` starts at `i`.
bool startsWith(const QByteArray& text, qsizetype i, const char (&character)[4])
{
    return i + 3 <= text.size() && text[i] == character[0] && text[i + 1] == character[1] && text[i + 2] == character[2];
}

enum class Kind { Body, Title, Heading, Subheading, Monospaced, Bulleted, Dashed, Numbered, Checklist };

bool isList(Kind kind)
{
    return kind >= Kind::Bulleted;
}

struct Paragraph {
    qsizetype start = 0;
    qsizetype end = 0;
    Kind kind = Kind::Body;
    int indent = 0;
    int alignment = 0;
    bool quoted = false;
    bool done = false;
};

Kind kindOf(int style)
{
    switch (style) {
    case 0: return Kind::Title;
    case 1: return Kind::Heading;
    case 2: return Kind::Subheading;
    case 4: return Kind::Monospaced;
    case 100: return Kind::Bulleted;
    case 101: return Kind::Dashed;
    case 102: return Kind::Numbered;
    case 103: return Kind::Checklist;
    default: return Kind::Body;
    }
}

void applyStyle(Paragraph& paragraph, const pb::Run* run)
{
    if (!run || !run->has_paragraph())
        return;
    const pb::ParagraphStyle& style = run->paragraph();
    paragraph.kind = kindOf(style.style());
    paragraph.indent = std::clamp(style.indent(), 0, kMaxIndent);
    paragraph.alignment = style.alignment();
    paragraph.quoted = style.block_quote() != 0;
    paragraph.done = style.checklist().done() != 0;
}

QByteArrayView alignmentAttribute(int alignment)
{
    switch (alignment) {
    case 1: return " style=\"text-align:center\"";
    case 2: return " style=\"text-align:right\"";
    case 3: return " style=\"text-align:justify\"";
    default: return {};
    }
}

class NoteBuilder {
public:
    NoteBuilder(const pb::NoteText& note, AttachmentRenderer* renderer, int depth)
        : m_text(validText(note.text())), m_spans(layOut(note, m_text)), m_tags(m_spans.size()),
          m_renderer(depth < kMaxAttachmentDepth ? renderer : nullptr), m_depth(depth)
    {
    }

    QByteArray build()
    {
        const qsizetype size = m_text.size();
        // Markup adds about a third to a styled text.
        m_writer.reserve(size + size / 2 + 256);
        for (qsizetype start = 0; start < size;) {
            qsizetype end = m_text.indexOf('\n', start);
            const bool terminated = end >= 0;
            if (!terminated)
                end = size;
            Paragraph paragraph{start, end};
            applyStyle(paragraph, spanAt(terminated ? end : end - 1).run);
            write(paragraph);
            start = end + 1;
        }
        return m_writer.finish();
    }

private:
    const Span& spanAt(qsizetype position) const
    {
        auto it = std::upper_bound(m_spans.begin(), m_spans.end(), position,
                                   [](qsizetype p, const Span& span) { return p < span.end; });
        return *it; // the spans cover the whole text
    }

    void write(const Paragraph& paragraph)
    {
        if (paragraph.quoted != m_quoted) {
            closeLists();
            closePreformatted();
            m_writer.closeTo(0);
            m_quoted = paragraph.quoted;
            if (m_quoted)
                m_writer.open("blockquote");
        }
        const bool empty = paragraph.start == paragraph.end;
        if (isList(paragraph.kind))
            writeListItem(paragraph, empty);
        else if (paragraph.kind == Kind::Monospaced && !empty)
            writePreformatted(paragraph);
        else
            writeDivision(paragraph, empty);
    }

    void writeDivision(const Paragraph& paragraph, bool empty)
    {
        closeLists();
        closePreformatted();
        const size_t depth = m_writer.depth();
        m_writer.open("div", alignmentAttribute(paragraph.alignment));
        switch (paragraph.kind) {
        case Kind::Title: m_writer.open("h1"); break;
        case Kind::Heading: m_writer.open("h2"); break;
        case Kind::Subheading: m_writer.open("h3"); break;
        default: break;
        }
        if (empty)
            m_writer.lineBreak();
        else
            writeInline(paragraph);
        m_writer.closeTo(depth);
    }

    // Consecutive monospaced lines share one <pre>, which keeps their blanks.
    void writePreformatted(const Paragraph& paragraph)
    {
        closeLists();
        if (m_preformattedDepth && m_preformattedAlignment == paragraph.alignment) {
            m_writer.newline();
        } else {
            closePreformatted();
            m_preformattedDepth = m_writer.depth() + 1;
            m_preformattedAlignment = paragraph.alignment;
            m_writer.open("pre", alignmentAttribute(paragraph.alignment));
            m_writer.setPreformatted(true);
        }
        writeInline(paragraph);
    }

    void closePreformatted()
    {
        if (!m_preformattedDepth)
            return;
        m_writer.closeTo(m_preformattedDepth - 1);
        m_writer.setPreformatted(false);
        m_preformattedDepth = 0;
    }

    struct ListLevel {
        Kind kind;
        size_t depth;     // of the writer before the list element
        size_t itemDepth; // of the writer inside the open <li>, 0 for none
    };

    void writeListItem(const Paragraph& paragraph, bool empty)
    {
        closePreformatted();
        const size_t level = size_t(paragraph.indent) + 1;
        while (m_lists.size() > level)
            closeList();
        if (m_lists.size() == level && m_lists.back().kind != paragraph.kind)
            closeList();
        // A deeper level goes inside the open item above it.
        while (m_lists.size() < level)
            openList(paragraph.kind);
        ListLevel& list = m_lists.back();
        if (list.itemDepth)
            m_writer.closeTo(list.itemDepth - 1);
        if (paragraph.kind == Kind::Checklist)
            m_writer.open("li", (paragraph.done ? QByteArrayView(" class=\"checked\"") : QByteArrayView(" class=\"unchecked\""))
                                    .toByteArray()
                                    .append(alignmentAttribute(paragraph.alignment)));
        else
            m_writer.open("li", alignmentAttribute(paragraph.alignment));
        list.itemDepth = m_writer.depth();
        if (paragraph.kind == Kind::Checklist)
            m_writer.text(paragraph.done ? "\xE2\x98\x91 " : "\xE2\x98\x90 "); // U+2611, U+2610
        if (empty && paragraph.kind != Kind::Checklist)
            m_writer.lineBreak();
        else
            writeInline(paragraph);
    }

    void openList(Kind kind)
    {
        const size_t depth = m_writer.depth();
        switch (kind) {
        case Kind::Numbered: m_writer.open("ol"); break;
        case Kind::Dashed: m_writer.open("ul", " class=\"dashed\""); break;
        case Kind::Checklist: m_writer.open("ul", " class=\"checklist\""); break;
        default: m_writer.open("ul"); break;
        }
        m_lists.push_back({kind, depth, 0});
    }

    void closeList()
    {
        m_writer.closeTo(m_lists.back().depth);
        m_lists.pop_back();
    }

    void closeLists()
    {
        while (!m_lists.empty())
            closeList();
    }

    // The paragraph's text, styled run by run, into the element just opened.
    void writeInline(const Paragraph& paragraph)
    {
        const size_t base = m_writer.depth();
        m_writer.startLine();
        std::vector<InlineTag> open;
        auto it = std::upper_bound(m_spans.begin(), m_spans.end(), paragraph.start,
                                   [](qsizetype p, const Span& span) { return p < span.end; });
        for (; it != m_spans.end() && it->start < paragraph.end; ++it) {
            const std::vector<InlineTag>& wanted = tagsOf(size_t(it - m_spans.begin()));
            const pb::Run* attachmentRun = it->run && !it->extended && it->run->has_attachment() ? it->run : nullptr;
            const qsizetype from = std::max(it->start, paragraph.start);
            const qsizetype to = std::min(it->end, paragraph.end);
            qsizetype pending = from;
            const auto flush = [&](qsizetype upTo) {
                if (upTo > pending) {
                    restyle(base, open, wanted);
                    m_writer.text(QByteArrayView(m_text).sliced(pending, upTo - pending));
                }
                pending = upTo + 3; // past the character of three bytes
            };
            for (qsizetype i = from; i < to; ++i) {
                if (startsWith(m_text, i, kLineSeparator)) {
                    flush(i);
                    restyle(base, open, wanted);
                    m_writer.lineBreak();
                } else if (startsWith(m_text, i, kAttachmentCharacter)) {
                    flush(i);
                    // An attachment stands on its own, outside the text's styles.
                    const QString html = attachmentHTML(attachmentRun);
                    if (!html.isEmpty()) {
                        m_writer.closeTo(base);
                        open.clear();
                        m_writer.raw(html.toUtf8());
                    }
                }
            }
            flush(to);
        }
        m_writer.closeTo(base);
    }

    void restyle(size_t base, std::vector<InlineTag>& open, const std::vector<InlineTag>& wanted)
    {
        size_t same = 0;
        while (same < open.size() && same < wanted.size() && open[same] == wanted[same])
            ++same;
        if (same == open.size() && same == wanted.size())
            return;
        m_writer.closeTo(base + same);
        open.resize(same);
        for (size_t i = same; i < wanted.size(); ++i) {
            m_writer.open(wanted[i].tag, wanted[i].attributes);
            open.push_back(wanted[i]);
        }
    }

    // The style of span `index`, worked out once: a span may stretch over
    // many paragraphs.
    const std::vector<InlineTag>& tagsOf(size_t index)
    {
        std::optional<std::vector<InlineTag>>& tags = m_tags[index];
        if (!tags)
            tags = m_spans[index].run ? inlineTags(*m_spans[index].run) : std::vector<InlineTag>{};
        return *tags;
    }

    QString attachmentHTML(const pb::Run* run)
    {
        if (!run || !m_renderer)
            return {};
        const pb::AttachmentRef& ref = run->attachment();
        return m_renderer->htmlForAttachment(QString::fromUtf8(ref.identifier()), QString::fromUtf8(ref.type_uti()),
                                             m_depth);
    }

    const QByteArray m_text; // UTF-8
    const std::vector<Span> m_spans;
    std::vector<std::optional<std::vector<InlineTag>>> m_tags; // by span
    AttachmentRenderer* const m_renderer;
    const int m_depth;
    HtmlWriter m_writer;
    bool m_quoted = false;
    std::vector<ListLevel> m_lists;
    size_t m_preformattedDepth = 0; // of the writer inside <pre>, 0 for none
    int m_preformattedAlignment = 0;
};

} // namespace

QByteArray htmlForNote(const pb::NoteText& note, AttachmentRenderer* renderer, int depth)
{
    if (note.text().empty())
        return {};
    return NoteBuilder(note, renderer, depth).build();
}

} // namespace notestore
