// Tables made in code in the shape the database uses, and hostile object
// graphs refused with a reason.
#include "notestore/NoteHTML.h"
#include "notestore/NoteTable.h"
#include "notestore/WellFormedHTML.h"

#include "notestore-generate/NoteStoreGenerator.h"

#include <gtest/gtest.h>
#include <map>

using namespace notestore;
using notestoregen::gzip;
using namespace Qt::StringLiterals;

namespace {

// Writes tables the way the database does: a map typed ICTable whose
// rows and columns are ordered sets of identifier objects and whose cells
// are a dictionary of column to (row to text).
class TableMaker {
public:
    pb::TableRoot root;
    pb::TableData& data = *root.mutable_object()->mutable_data();
    int rowsSet = -1, columnsSet = -1, cells = -1, direction = -1;
    std::vector<int> rowIds, columnIds; // identifier indexes the cells use

    TableMaker(int rows, int columns, const std::map<std::pair<int, int>, std::string>& texts, bool rightToLeft = false)
    {
        for (const char* type : {"com.apple.CRDT.NSUUID", "com.apple.CRDT.NSString", "com.apple.notes.ICTable"})
            data.add_type_item(type);
        for (const char* key : {"identity", "crTableColumnDirection", "self", "crRows", "UUIDIndex", "crColumns",
                                "cellColumns"})
            data.add_key_item(key);
        data.add_entry(); // the root, filled last
        direction = add();
        const int directionValue = add();
        entry(direction).mutable_register_()->mutable_value()->set_object_index(directionValue);
        map(directionValue).set_type(1);
        field(directionValue, 2)->set_string_value(rightToLeft ? "CRTableColumnDirectionRightToLeft"
                                                               : "CRTableColumnDirectionLeftToRight");
        rowsSet = orderedSet(rows, rowIds);
        columnsSet = orderedSet(columns, columnIds);
        cells = add();
        entry(cells).mutable_dictionary();
        for (int column = 0; column < columns; ++column) {
            const int columnCells = add();
            entry(columnCells).mutable_dictionary();
            addElement(cells, identifierObject(columnIds[size_t(column)]), columnCells);
            for (int row = 0; row < rows; ++row) {
                const auto it = texts.find({row, column});
                if (it != texts.end())
                    addElement(columnCells, identifierObject(rowIds[size_t(row)]), text(it->second));
            }
        }
        map(0).set_type(2);
        field(0, 0)->set_string_value("00000000-0000-0000-0000-000000000000");
        for (const auto& [key, object] : {std::pair{1, direction}, {3, rowsSet}, {5, columnsSet}, {6, cells}})
            field(0, key)->set_object_index(object);
    }

    pb::TableEntry& entry(int object) { return *data.mutable_entry(object); }
    pb::TypedMap& map(int object) { return *entry(object).mutable_map(); }
    pb::Ordering& ordering(int set) { return *entry(set).mutable_ordered_set()->mutable_ordering(); }

    // The value of a new field `key` of the map in entry `object`.
    pb::ObjectRef* field(int object, int key)
    {
        auto* f = map(object).add_field();
        f->set_key(key);
        return f->mutable_value();
    }

    int add()
    {
        data.add_entry();
        return data.entry_size() - 1;
    }

    int text(const std::string& text)
    {
        const int object = add();
        entry(object).mutable_note()->set_text(text);
        entry(object).mutable_note()->add_run()->set_length(qint64(QString::fromStdString(text).size()));
        return object;
    }

    // A new 16-byte identifier, told apart by its index.
    int identifier()
    {
        data.add_uuid_item(QByteArray::number(data.uuid_item_size()).leftJustified(16, 'u').toStdString());
        return data.uuid_item_size() - 1;
    }

    int identifierObject(int uuidIndex)
    {
        const int object = add();
        map(object).set_type(0);
        field(object, 4)->set_unsigned_value(std::uint64_t(uuidIndex));
        return object;
    }

    void addElement(int dictionary, int key, int value)
    {
        auto* element = entry(dictionary).mutable_dictionary()->add_element();
        element->mutable_key()->set_object_index(key);
        element->mutable_value()->set_object_index(value);
    }

    // Positions in order, each mapped to the identifier the cells use.
    int orderedSet(int count, std::vector<int>& cellIds)
    {
        const int set = add();
        pb::Ordering& order = ordering(set); // entries stay where they are as others are added
        for (int i = 0; i < count; ++i) {
            const int position = identifier();
            cellIds.push_back(identifier());
            auto* p = order.mutable_array()->add_position();
            p->set_index(i);
            p->set_uuid(data.uuid_item(position));
            auto* element = order.mutable_contents()->add_element();
            element->mutable_key()->set_object_index(identifierObject(position));
            element->mutable_value()->set_object_index(identifierObject(cellIds.back()));
        }
        return set;
    }

    std::optional<Table> decode(QString* reason) const
    {
        return decodeTable(gzip(QByteArray::fromStdString(root.SerializeAsString())), reason);
    }
};

TEST(NoteTableTest, MadeTablesComeBackExactly)
{
    TableMaker maker(3, 2, {{{0, 0}, "a"}, {{1, 1}, "b"}, {{2, 0}, "c"}}, true);
    // Reorder the rows: the positions decide, not the objects' order.
    maker.ordering(maker.rowsSet).mutable_array()->mutable_position()->SwapElements(0, 2);
    QString reason;
    const auto table = maker.decode(&reason);
    ASSERT_TRUE(table) << qPrintable(reason);
    EXPECT_EQ(htmlForTable(*table),
              QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" dir=\"rtl\"><tbody>"
                             "<tr><td valign=\"top\"><div>c</div></td><td valign=\"top\"></td></tr>"
                             "<tr><td valign=\"top\"></td><td valign=\"top\"><div>b</div></td></tr>"
                             "<tr><td valign=\"top\"><div>a</div></td><td valign=\"top\"></td></tr></tbody></table>"));
}

TEST(NoteTableTest, HostileTablesAreRefusedWithAReasonOrReadSafely)
{
    const struct {
        const char* name;
        std::function<void(TableMaker&)> spoil;
        const char* reason; // null: decodes
        int strayCells = 0;
    } cases[] = {
        {"Empty", [](TableMaker& m) { m.root.Clear(); }, "the data holds no table"},
        {"StrayCell",
         [](TableMaker& m) {
             // A column the table does not show, with one cell.
             const int columnCells = m.add();
             m.addElement(columnCells, m.identifierObject(m.rowIds[0]), m.text("lost"));
             m.addElement(m.cells, m.identifierObject(m.identifier()), columnCells);
         },
         nullptr, 1},
        {"NoTableType", [](TableMaker& m) { m.data.set_type_item(2, "com.apple.notes.Other"); }, "holds no table"},
        {"NoCells", [](TableMaker& m) { m.map(0).mutable_field()->RemoveLast(); }, "lacks its rows, columns or cells"},
        {"RootPointsPastTheEnd",
         [](TableMaker& m) { m.map(0).mutable_field(2)->mutable_value()->set_object_index(99999); },
         "refers to object 99999"},
        {"NegativeReference", [](TableMaker& m) { m.map(0).mutable_field(2)->mutable_value()->set_object_index(-1); },
         "refers to object -1"},
        {"IdentifierPastTheEnd",
         [](TableMaker& m) {
             auto* value = m.map(m.data.entry_size() - 1).mutable_field(0)->mutable_value();
             value->set_unsigned_value(std::uint64_t(1) << 40);
         },
         "refers to identifier"},
        {"RowsAreNotASet", [](TableMaker& m) { m.entry(m.rowsSet).clear_ordered_set(); },
         "rows are not an ordered set"},
        // A cycle: the cell dictionary names itself as a column's cells.
        {"CellsPointAtThemselves",
         [](TableMaker& m) { m.addElement(m.cells, m.identifierObject(m.columnIds[0]), m.cells); }, nullptr, 3},
        {"DirectionRegisterLoops",
         [](TableMaker& m) { m.entry(m.direction).mutable_register_()->mutable_value()->set_object_index(m.direction); },
         nullptr},
        {"RowIsNotAnIdentifier",
         [](TableMaker& m) {
             m.ordering(m.rowsSet).mutable_contents()->mutable_element(0)->mutable_value()->set_object_index(m.cells);
         },
         "has no identifier"},
        {"RepeatedPositions",
         [](TableMaker& m) {
             auto& array = *m.ordering(m.rowsSet).mutable_array();
             for (int i = 0; i < 5000; ++i)
                 *array.add_position() = array.position(0);
         },
         nullptr},
        {"TooManyColumns",
         [](TableMaker& m) {
             for (int i = 0; i < kMaxTableColumns; ++i) {
                 std::vector<int> ids;
                 const pb::Ordering& added = m.ordering(m.orderedSet(1, ids));
                 *m.ordering(m.columnsSet).mutable_array()->add_position() = added.array().position(0);
                 *m.ordering(m.columnsSet).mutable_contents()->add_element() = added.contents().element(0);
             }
         },
         "more than 1000 columns"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TableMaker maker(2, 2, {{{0, 0}, "a"}, {{0, 1}, "b"}, {{1, 0}, "c"}, {{1, 1}, "d"}});
        c.spoil(maker);
        QString reason;
        const auto table = maker.decode(&reason);
        if (c.reason) {
            EXPECT_TRUE(!table && reason.contains(QLatin1String(c.reason))) << qPrintable(reason);
            continue;
        }
        ASSERT_TRUE(table) << qPrintable(reason);
        EXPECT_EQ(std::tuple(table->rowCount(), table->columnCount(), table->strayCells()),
                  std::tuple(2, 2, c.strayCells));
        EXPECT_EQ(wellformed::check(htmlForTable(*table)), QString());
    }
}

} // namespace
