#include "notestore/HtmlWriter.h"
#include "notestore/NoteHTML.h"
#include "notestore/NoteTable.h"

namespace notestore {

QString htmlForTable(const Table& table, AttachmentRenderer* renderer, int depth)
{
    HtmlWriter writer;
    QString attributes = attribute("border", QStringLiteral("1")) + attribute("cellspacing", QStringLiteral("0"))
                         + attribute("cellpadding", QStringLiteral("4"));
    if (table.rightToLeft())
        attributes += attribute("dir", QStringLiteral("rtl"));
    writer.open("table", attributes);
    writer.open("tbody");
    for (int row = 0; row < table.rowCount(); ++row) {
        writer.open("tr");
        for (int column = 0; column < table.columnCount(); ++column) {
            writer.open("td", attribute("valign", QStringLiteral("top")));
            if (const pb::NoteText* text = table.cell(row, column))
                writer.raw(htmlForNote(*text, renderer, depth + 1));
            writer.closeTo(3);
        }
        writer.closeTo(2);
    }
    return writer.finish();
}

} // namespace notestore
