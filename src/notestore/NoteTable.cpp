#include "notestore/NoteTable.h"
#include "platform/LocalizedString.h"

#include "notestore/Gzip.h"
#include "notestore/NoteBody.h"
#include "notestore/ProtoLimits.h"

#include <QHash>
#include <QSet>

#include <limits>

namespace notestore {

Table::Table(int rows, int columns, bool rightToLeft)
    : m_rows(rows), m_columns(columns), m_rightToLeft(rightToLeft), m_cellIndex(size_t(rows) * size_t(columns), -1)
{
}

const pb::NoteText* Table::cell(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return nullptr;
    const int index = m_cellIndex[size_t(row) * size_t(m_columns) + size_t(column)];
    return index < 0 ? nullptr : &m_texts[size_t(index)];
}

void Table::setCell(int row, int column, pb::NoteText&& text)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return;
    int& index = m_cellIndex[size_t(row) * size_t(m_columns) + size_t(column)];
    if (index >= 0) {
        m_texts[size_t(index)] = std::move(text);
        return;
    }
    index = int(m_texts.size());
    m_texts.push_back(std::move(text));
}

namespace {

const QByteArray kTableType = QByteArrayLiteral("com.apple.notes.ICTable");

// Reads the grid out of the table's object graph. Every reference is an
// index that is checked before use; nothing is followed more than a fixed
// number of steps, so cycles cannot trap the reader.
class TableReader {
public:
    explicit TableReader(const pb::TableData& data) : m_data(data) {}

    std::optional<Table> read()
    {
        const pb::TypedMap* root = findRoot();
        if (!root)
            return failed(platform::localizedString("the data holds no table"));
        const pb::TableEntry* rows = nullptr;
        const pb::TableEntry* columns = nullptr;
        const pb::TableEntry* cells = nullptr;
        const pb::TableEntry* direction = nullptr;
        for (const pb::MapField& field : root->field()) {
            // The table's own identity is a value, not an object.
            if (!field.value().has_object_index())
                continue;
            const pb::TableEntry* target = entry(field.value());
            if (!target)
                return failed();
            const QByteArray key = keyName(field.key());
            if (key == "crRows")
                rows = target;
            else if (key == "crColumns")
                columns = target;
            else if (key == "cellColumns")
                cells = target;
            else if (key == "crTableColumnDirection")
                direction = target;
        }
        if (!rows || !columns || !cells)
            return failed(platform::localizedString("the table lacks its rows, columns or cells"));
        std::vector<QByteArray> rowOrder, columnOrder;
        if (!order(*rows, kMaxTableRows, QStringLiteral("rows"), rowOrder)
            || !order(*columns, kMaxTableColumns, QStringLiteral("columns"), columnOrder))
            return failed();
        Table table(int(rowOrder.size()), int(columnOrder.size()), direction && isRightToLeft(*direction));
        if (!fill(*cells, positions(rowOrder), positions(columnOrder), table))
            return failed();
        return table;
    }

    const QString& reason() const { return m_reason; }

private:
    std::nullopt_t failed(const QString& why = {})
    {
        if (m_reason.isEmpty())
            m_reason = why;
        return std::nullopt;
    }

    bool fail(const QString& why)
    {
        failed(why);
        return false;
    }

    bool spend()
    {
        return --m_budget >= 0 || fail(platform::localizedString("the table has more than %1 parts").arg(kMaxTableParts));
    }

    const pb::TypedMap* findRoot() const
    {
        int type = -1;
        for (int i = 0; i < m_data.type_item_size() && type < 0; ++i)
            if (m_data.type_item(i) == kTableType.toStdString())
                type = i;
        if (type < 0)
            return nullptr;
        for (const pb::TableEntry& candidate : m_data.entry())
            if (candidate.has_map() && candidate.map().type() == type)
                return &candidate.map();
        return nullptr;
    }

    QByteArray keyName(int index) const
    {
        if (index < 0 || index >= m_data.key_item_size())
            return {};
        return QByteArray::fromStdString(m_data.key_item(index));
    }

    const pb::TableEntry* entry(const pb::ObjectRef& ref)
    {
        if (!ref.has_object_index()) {
            fail(platform::localizedString("a reference of the table names no object"));
            return nullptr;
        }
        const int index = ref.object_index();
        if (index < 0 || index >= m_data.entry_size()) {
            fail(platform::localizedString("the table refers to object %1 of %2").arg(index).arg(m_data.entry_size()));
            return nullptr;
        }
        return &m_data.entry(index);
    }

    // A row or column reference: an object whose map's first value is an
    // index into the identifiers.
    std::optional<QByteArray> identifier(const pb::ObjectRef& ref)
    {
        const pb::TableEntry* target = entry(ref);
        if (!target)
            return std::nullopt;
        if (!target->has_map() || target->map().field_size() == 0
            || !target->map().field(0).value().has_unsigned_value()) {
            failed(platform::localizedString("a row or column of the table has no identifier"));
            return std::nullopt;
        }
        const std::uint64_t index = target->map().field(0).value().unsigned_value();
        if (index >= std::uint64_t(m_data.uuid_item_size())) {
            failed(platform::localizedString("the table refers to identifier %1 of %2").arg(index).arg(m_data.uuid_item_size()));
            return std::nullopt;
        }
        return QByteArray::fromStdString(m_data.uuid_item(int(index)));
    }

    // The identifiers the cells use, in the order the set shows them.
    bool order(const pb::TableEntry& set, int limit, const QString& what, std::vector<QByteArray>& result)
    {
        if (!set.has_ordered_set())
            return fail(platform::localizedString("the table's %1 are not an ordered set").arg(what));
        const pb::Ordering& ordering = set.ordered_set().ordering();
        QHash<QByteArray, QByteArray> cellIdentifiers;
        for (const pb::DictionaryElement& element : ordering.contents().element()) {
            if (!spend())
                return false;
            const auto key = identifier(element.key());
            const auto value = identifier(element.value());
            if (!key || !value)
                return false;
            cellIdentifiers.insert(*key, *value);
        }
        QSet<QByteArray> seen;
        for (const pb::OrderingPosition& position : ordering.array().position()) {
            if (!spend())
                return false;
            // Positions without content are ones that were removed.
            const auto it = cellIdentifiers.constFind(QByteArray::fromStdString(position.uuid()));
            if (it == cellIdentifiers.constEnd() || seen.contains(*it))
                continue;
            if (int(result.size()) >= limit)
                return fail(platform::localizedString("the table has more than %1 %2").arg(limit).arg(what));
            seen.insert(*it);
            result.push_back(*it);
        }
        return true;
    }

    static QHash<QByteArray, int> positions(const std::vector<QByteArray>& order)
    {
        QHash<QByteArray, int> result;
        for (size_t i = 0; i < order.size(); ++i)
            result.insert(order[i], int(i));
        return result;
    }

    bool fill(const pb::TableEntry& cells, const QHash<QByteArray, int>& rows, const QHash<QByteArray, int>& columns,
              Table& table)
    {
        if (!cells.has_dictionary())
            return fail(platform::localizedString("the table's cells are not a dictionary"));
        int stray = 0;
        for (const pb::DictionaryElement& columnElement : cells.dictionary().element()) {
            if (!spend())
                return false;
            const auto column = identifier(columnElement.key());
            const pb::TableEntry* columnCells = column ? entry(columnElement.value()) : nullptr;
            if (!columnCells)
                return false;
            if (!columnCells->has_dictionary())
                return fail(platform::localizedString("a column of the table is not a dictionary"));
            const int columnIndex = columns.value(*column, -1);
            for (const pb::DictionaryElement& rowElement : columnCells->dictionary().element()) {
                if (!spend())
                    return false;
                const auto row = identifier(rowElement.key());
                const pb::TableEntry* text = row ? entry(rowElement.value()) : nullptr;
                if (!text)
                    return false;
                const int rowIndex = rows.value(*row, -1);
                if (columnIndex < 0 || rowIndex < 0) {
                    ++stray;
                    continue;
                }
                if (text->has_note())
                    table.setCell(rowIndex, columnIndex, pb::NoteText(text->note()));
            }
        }
        table.setStrayCells(stray);
        return true;
    }

    // The direction is a register holding a string such as
    // "CRTableColumnDirectionRightToLeft".
    bool isRightToLeft(const pb::TableEntry& direction)
    {
        if (!direction.has_register_() || !direction.register_().value().has_object_index())
            return false;
        const int index = direction.register_().value().object_index();
        if (index < 0 || index >= m_data.entry_size())
            return false;
        const pb::TableEntry& value = m_data.entry(index);
        for (const pb::MapField& field : value.map().field())
            if (field.value().has_string_value())
                return QByteArray::fromStdString(field.value().string_value()).contains("RightToLeft");
        return false;
    }

    const pb::TableData& m_data;
    qint64 m_budget = kMaxTableParts;
    QString m_reason;
};

std::nullopt_t fail(QString* reason, const QString& why)
{
    if (reason)
        *reason = why;
    return std::nullopt;
}

} // namespace

std::optional<Table> tableFromProtobuf(QByteArrayView protobuf, QString* reason)
{
    QString why;
    if (!withinMessageLimits(protobuf, pb::TableRoot::descriptor(), kMaxTableParts, kMaxProtobufDepth, &why))
        return fail(reason, platform::localizedString("the table %1").arg(why));
    pb::TableRoot root;
    if (protobuf.size() > std::numeric_limits<int>::max() || !root.ParseFromArray(protobuf.data(), int(protobuf.size())))
        return fail(reason, platform::localizedString("the table is not readable as protobuf data"));
    TableReader reader(root.object().data());
    auto table = reader.read();
    if (!table)
        return fail(reason, reader.reason());
    return table;
}

std::optional<Table> decodeTable(QByteArrayView gzipped, QString* reason)
{
    QByteArray inflated;
    QString why;
    if (!gunzip(gzipped, kMaxInflatedTableBytes, inflated, &why))
        return fail(reason, platform::localizedString("the table is unreadable: %1").arg(why));
    return tableFromProtobuf(inflated, reason);
}

} // namespace notestore
