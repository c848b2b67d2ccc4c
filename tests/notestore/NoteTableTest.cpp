// Tables made in code in the shape the database uses, and hostile object
// graphs refused with a reason.
#include "notestore/NoteBodySupport.h"
#include "notestore/NoteHTML.h"
#include "notestore/NoteTable.h"
#include "notestore/WellFormedHTML.h"

#include <gtest/gtest.h>
#include <map>

using namespace notestore;
using namespace notestoretest;
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
        data.mutable_entry(direction)->mutable_register_()->mutable_value()->set_object_index(directionValue);
        data.mutable_entry(directionValue)->mutable_map()->set_type(1);
        field(directionValue, 2)->set_string_value(rightToLeft ? "CRTableColumnDirectionRightToLeft"
                                                               : "CRTableColumnDirectionLeftToRight");
        rowsSet = orderedSet(rows, rowIds);
        columnsSet = orderedSet(columns, columnIds);
        cells = add();
        data.mutable_entry(cells)->mutable_dictionary();
        for (int column = 0; column < columns; ++column) {
            const int columnCells = add();
            data.mutable_entry(columnCells)->mutable_dictionary();
            addElement(cells, identifierObject(columnIds[size_t(column)]), columnCells);
            for (int row = 0; row < rows; ++row) {
                const auto it = texts.find({row, column});
                if (it == texts.end())
                    continue;
                const int text = add();
                data.mutable_entry(text)->mutable_note()->set_text(it->second);
                data.mutable_entry(text)->mutable_note()->add_run()->set_length(qint64(QString::fromStdString(it->second).size()));
                addElement(columnCells, identifierObject(rowIds[size_t(row)]), text);
            }
        }
        data.mutable_entry(0)->mutable_map()->set_type(2);
        field(0, 0)->set_string_value("00000000-0000-0000-0000-000000000000");
        for (const auto& [key, object] : {std::pair{1, direction}, {3, rowsSet}, {5, columnsSet}, {6, cells}})
            field(0, key)->set_object_index(object);
    }

    // The value of a new field `key` of the map in entry `object`.
    pb::ObjectRef* field(int object, int key)
    {
        auto* f = data.mutable_entry(object)->mutable_map()->add_field();
        f->set_key(key);
        return f->mutable_value();
    }

    int add()
    {
        data.add_entry();
        return data.entry_size() - 1;
    }

    int identifier()
    {
        const int index = data.uuid_item_size();
        std::string uuid(16, '\0');
        uuid[0] = char(index & 0xff);
        uuid[1] = char(index >> 8);
        uuid[15] = 'u';
        data.add_uuid_item(uuid);
        return index;
    }

    int identifierObject(int uuidIndex)
    {
        const int object = add();
        data.mutable_entry(object)->mutable_map()->set_type(0);
        field(object, 4)->set_unsigned_value(std::uint64_t(uuidIndex));
        return object;
    }

    void addElement(int dictionary, int key, int value)
    {
        auto* element = data.mutable_entry(dictionary)->mutable_dictionary()->add_element();
        element->mutable_key()->set_object_index(key);
        element->mutable_value()->set_object_index(value);
    }

    // Positions in order, each mapped to the identifier the cells use.
    int orderedSet(int count, std::vector<int>& cellIds)
    {
        const int set = add();
        for (int i = 0; i < count; ++i) {
            const int position = identifier();
            const int cellId = identifier();
            cellIds.push_back(cellId);
            auto* p = data.mutable_entry(set)->mutable_ordered_set()->mutable_ordering()->mutable_array()->add_position();
            p->set_index(i);
            p->set_uuid(data.uuid_item(position));
            auto* element =
                data.mutable_entry(set)->mutable_ordered_set()->mutable_ordering()->mutable_contents()->add_element();
            const int key = identifierObject(position);
            const int value = identifierObject(cellId);
            element->mutable_key()->set_object_index(key);
            element->mutable_value()->set_object_index(value);
        }
        data.mutable_entry(set)->mutable_ordered_set();
        return set;
    }

    pb::OrderingArray& positions(int set)
    {
        return *data.mutable_entry(set)->mutable_ordered_set()->mutable_ordering()->mutable_array();
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
    maker.positions(maker.rowsSet).mutable_position()->SwapElements(0, 2);
    QString reason;
    const auto table = maker.decode(&reason);
    ASSERT_TRUE(table) << qPrintable(reason);
    EXPECT_EQ(htmlForTable(*table),
              QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" dir=\"rtl\"><tbody>"
                             "<tr><td valign=\"top\"><div>c</div></td><td valign=\"top\"></td></tr>"
                             "<tr><td valign=\"top\"></td><td valign=\"top\"><div>b</div></td></tr>"
                             "<tr><td valign=\"top\"><div>a</div></td><td valign=\"top\"></td></tr></tbody></table>"));
}

struct HostileCase {
    const char* name;
    std::function<void(TableMaker&)> spoil;
    const char* reason; // null: decodes
    int strayCells = 0;
};

std::vector<HostileCase> hostileCases()
{
    return {
        {"Empty", [](TableMaker& m) { m.root.Clear(); }, "the data holds no table"},
        {"StrayCell",
         [](TableMaker& m) {
             // A column the table does not show, with one cell.
             const int columnCells = m.add();
             const int text = m.add();
             m.data.mutable_entry(text)->mutable_note()->set_text("lost");
             m.addElement(columnCells, m.identifierObject(m.rowIds[0]), text);
             m.addElement(m.cells, m.identifierObject(m.identifier()), columnCells);
         },
         nullptr, 1},
        {"NoTableType", [](TableMaker& m) { m.data.set_type_item(2, "com.apple.notes.Other"); }, "holds no table"},
        {"NoCells",
         [](TableMaker& m) { m.data.mutable_entry(0)->mutable_map()->mutable_field()->RemoveLast(); },
         "lacks its rows, columns or cells"},
        {"RootPointsPastTheEnd",
         [](TableMaker& m) { m.data.mutable_entry(0)->mutable_map()->mutable_field(2)->mutable_value()->set_object_index(99999); },
         "refers to object 99999"},
        {"NegativeReference",
         [](TableMaker& m) { m.data.mutable_entry(0)->mutable_map()->mutable_field(2)->mutable_value()->set_object_index(-1); },
         "refers to object -1"},
        {"IdentifierPastTheEnd",
         [](TableMaker& m) {
             m.data.mutable_entry(m.data.entry_size() - 1)->mutable_map()->mutable_field(0)->mutable_value()->set_unsigned_value(
                 std::uint64_t(1) << 40);
         },
         "refers to identifier"},
        {"RowsAreNotASet",
         [](TableMaker& m) { m.data.mutable_entry(m.rowsSet)->clear_ordered_set(); }, "rows are not an ordered set"},
        {"CellsPointAtThemselves",
         [](TableMaker& m) {
             // A cycle: the cell dictionary names itself as a column's cells.
             m.addElement(m.cells, m.identifierObject(m.columnIds[0]), m.cells);
         },
         nullptr, 3},
        {"DirectionRegisterLoops",
         [](TableMaker& m) {
             m.data.mutable_entry(m.direction)->mutable_register_()->mutable_value()->set_object_index(m.direction);
         },
         nullptr},
        {"RowIsNotAnIdentifier",
         [](TableMaker& m) {
             auto* element = m.data.mutable_entry(m.rowsSet)->mutable_ordered_set()->mutable_ordering()->mutable_contents()->mutable_element(0);
             element->mutable_value()->set_object_index(m.cells);
         },
         "has no identifier"},
        {"RepeatedPositions",
         [](TableMaker& m) {
             auto& array = m.positions(m.rowsSet);
             for (int i = 0; i < 5000; ++i)
                 *array.add_position() = array.position(0);
         },
         nullptr},
        {"TooManyColumns",
         [](TableMaker& m) {
             for (int i = 0; i < kMaxTableColumns; ++i) {
                 std::vector<int> ids;
                 const int set = m.orderedSet(1, ids);
                 auto* ordering = m.data.mutable_entry(m.columnsSet)->mutable_ordered_set()->mutable_ordering();
                 *ordering->mutable_array()->add_position() = m.positions(set).position(0);
                 *ordering->mutable_contents()->add_element() =
                     m.data.entry(set).ordered_set().ordering().contents().element(0);
             }
         },
         "more than 1000 columns"},
    };
}

class HostileTableTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileTableTest, RefusedWithAReasonOrReadSafely)
{
    const HostileCase& c = GetParam();
    TableMaker maker(2, 2, {{{0, 0}, "a"}, {{0, 1}, "b"}, {{1, 0}, "c"}, {{1, 1}, "d"}});
    c.spoil(maker);
    QString reason;
    const auto table = maker.decode(&reason);
    if (c.reason) {
        EXPECT_FALSE(table);
        EXPECT_TRUE(reason.contains(QLatin1String(c.reason))) << qPrintable(reason);
        return;
    }
    ASSERT_TRUE(table) << qPrintable(reason);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->strayCells(), c.strayCells);
    EXPECT_EQ(wellformed::check(htmlForTable(*table)), QString());
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTableTest, testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
