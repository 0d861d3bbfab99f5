#include "SqliteWorkbookSource.h"

#include <gtest/gtest.h>
#include <map>

using namespace zort;

namespace {

xls::Cell num(double v)
{
    return {xls::CellType::Number, v, {}};
}
xls::Cell text(std::string v)
{
    return {xls::CellType::Text, 0, std::move(v)};
}
xls::Cell empty()
{
    return {};
}

class FakeTables : public TableProvider
{
public:
    explicit FakeTables(std::map<std::string, xls::Table> tables)
        : m_tables(std::move(tables))
    { }
    std::optional<xls::Table> table(std::string_view name) override
    {
        for (const auto &[key, value] : m_tables) {
            if (QString::fromStdString(key).compare(
                        QString::fromUtf8(name.data(), qsizetype(name.size())), Qt::CaseInsensitive)
                == 0)
                return value;
        }
        return std::nullopt;
    }

private:
    std::map<std::string, xls::Table> m_tables;
};

} // namespace

TEST(SqliteWorkbookSource, Smoke)
{
    xls::Table dataAdr {{"ID_Element", "Name", "Val"},
                        {{text("P_OKUD"), text("Код "), text("0606024")},
                         {text("P_FormName"), text("Форма "), num(12.5)},
                         {empty(), empty(), empty()}}};
    xls::Table check {{"ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"},
                      {{num(1), num(2), num(1), num(1), text("b"), num(1)},
                       {num(1), num(1), num(1), num(1), text("a"), text("5")},
                       {num(1), num(1), num(1), num(2), text("c"), text("x")},
                       {num(1), num(1), num(1), num(3), text("d"), num(0)}}};
    SqliteWorkbookSource source([&](const QString &) {
        return std::make_unique<FakeTables>(
                std::map<std::string, xls::Table> {{"Data_Adr", dataAdr}, {"T_Check", check}});
    });
    source.FormConnection().setConnectionString("DSN=DataVELT;DBQ=/x/f.xls;DefaultDir=/x;");
    source.FormConnection().open();
    Query &q = source.qwData();
    q.replaceStatement("Select Val from Data_Adr Where ID_Element = 'p_okud'");
    q.open();
    EXPECT_EQ(q.value("Val").toText(), "0606024");
    q.replaceStatement("Select (Name &  Val) as CaptionInForm, ID_Element from Data_Adr");
    q.open();
    q.setFilterText(" ID_Element = 'P_FormName'");
    q.setFiltered(true);
    EXPECT_EQ(q.fieldText("CaptionInForm"), "Форма 12.5");
    q.setFiltered(false);
    q.replaceStatement("Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from T_Check "
                       "where Result>0 Order by ID_Form, ID_Section, ID_Rule, ID_Check");
    q.open();
    QStringList names;
    for (; !q.eof(); q.next())
        names << q.fieldText("Name");
    EXPECT_EQ(names.join(","), "a,b");
}
