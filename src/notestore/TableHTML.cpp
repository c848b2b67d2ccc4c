#include "notestore/HtmlWriter.h"
#include "notestore/NoteHTML.h"
#include "notestore/NoteTable.h"

namespace notestore {

QString htmlForTable(const Table& table, AttachmentRenderer* renderer, int depth)
{
    HtmlWriter writer;
    writer.open("table", table.rightToLeft() ? " border=\"1\" cellspacing=\"0\" cellpadding=\"4\" dir=\"rtl\""
                                             : " border=\"1\" cellspacing=\"0\" cellpadding=\"4\"");
    writer.open("tbody");
    for (int row = 0; row < table.rowCount(); ++row) {
        writer.open("tr");
        for (int column = 0; column < table.columnCount(); ++column) {
            writer.open("td", " valign=\"top\"");
            if (const pb::NoteText* text = table.cell(row, column))
                writer.raw(htmlForNote(*text, renderer, depth + 1));
            writer.closeTo(3);
        }
        writer.closeTo(2);
    }
    return QString::fromUtf8(writer.finish());
}

} // namespace notestore
