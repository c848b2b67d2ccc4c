#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <string>
#include <vector>

namespace notestore {

// Writes an HTML fragment as UTF-8 through a stack of open elements, so
// that the result is well formed whatever order the callers ask for: every
// element is closed, innermost first. Text is escaped and cleaned of
// characters HTML cannot carry.
class HtmlWriter {
public:
    // `attributes` as made by attribute(), each with its leading blank.
    void open(const char* tag, QByteArrayView attributes = {});
    void closeTo(size_t depth);
    size_t depth() const { return m_open.size(); }
    // Room for about this many bytes, asked for once up front.
    void reserve(qsizetype bytes) { m_out.reserve(size_t(bytes)); }

    // `text` must be valid UTF-8 (no encoded surrogates).
    void text(QByteArrayView text);
    void lineBreak();
    // A line feed inside <pre>.
    void newline();
    // Well-formed HTML made elsewhere (an attachment).
    void raw(QByteArrayView html);

    // Inside <pre> blanks are kept as they are; elsewhere runs of blanks
    // and blanks at a line's start are kept with no-break spaces.
    void setPreformatted(bool preformatted) { m_preformatted = preformatted; }
    void startLine() { m_afterBlank = true; }

    QByteArray finish();

private:
    // Appending to a std::string is a plain copy; QByteArray's append goes
    // through its general insert. Copied once into a QByteArray at the end.
    std::string m_out;
    std::vector<const char*> m_open;
    bool m_preformatted = false;
    bool m_afterBlank = true;
};

// ` name="value"` with the value escaped for a double-quoted attribute.
QString attribute(const char* name, const QString& value);
// The same as UTF-8, for HtmlWriter::open().
inline QByteArray attributeUTF8(const char* name, const QString& value)
{
    return attribute(name, value).toUtf8();
}

} // namespace notestore
