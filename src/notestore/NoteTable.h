#pragma once

#include "notestore.pb.h"

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace notestore {

class AttachmentRenderer;

inline constexpr qint64 kMaxInflatedTableBytes = 64 * 1024 * 1024;
inline constexpr int kMaxTableRows = 1000;
inline constexpr int kMaxTableColumns = 1000;
// Objects, elements and cells of one table's data.
inline constexpr qint64 kMaxTableParts = 4'000'000;

// A table's grid: each cell a styled text like a note body's.
class Table {
public:
    Table(int rows, int columns, bool rightToLeft);

    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    // Columns run from right to left; column 0 is the rightmost.
    bool rightToLeft() const { return m_rightToLeft; }
    // Null for an empty cell.
    const pb::NoteText* cell(int row, int column) const;
    void setCell(int row, int column, pb::NoteText&& text);
    // Cells of the data that name a row or column the table does not have.
    int strayCells() const { return m_strayCells; }
    void setStrayCells(int count) { m_strayCells = count; }

private:
    int m_rows;
    int m_columns;
    bool m_rightToLeft;
    int m_strayCells = 0;
    std::vector<int> m_cellIndex; // row-major, -1 for empty
    std::vector<pb::NoteText> m_texts;
};

// A table as the database keeps it (gzip of a protobuf). Nothing, with the
// reason, for data that is not gzip, not a table, inconsistent or larger
// than the limits above.
std::optional<Table> decodeTable(QByteArrayView gzipped, QString* reason);

// The same for the protobuf once inflated.
std::optional<Table> tableFromProtobuf(QByteArrayView protobuf, QString* reason);

// <table> with a row per row and each cell drawn like a note body;
// right-to-left tables say so (dir="rtl") and keep their cell order.
// Attachments in cells go through `renderer` one level deeper than `depth`.
QString htmlForTable(const Table& table, AttachmentRenderer* renderer = nullptr, int depth = 0);

} // namespace notestore
