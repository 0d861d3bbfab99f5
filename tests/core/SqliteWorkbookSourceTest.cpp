#include "SqliteWorkbookSource.h"

#include <QDir>

#include <chrono>
#include <gtest/gtest.h>
#include <map>

using namespace zort;

namespace {

const QString kIdentification =
        QStringLiteral("Select Val from Data_Adr Where ID_Element = 'P_OKUD'");
const QString kCaptions =
        QStringLiteral("Select (Name &  Val) as CaptionInForm, ID_Element from Data_Adr");
const QString kFailedChecks = QStringLiteral(
        "Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from T_Check where Result>0 "
        "Order by ID_Form, ID_Section, ID_Rule, ID_Check");
const QString kConnection = QStringLiteral("DSN=DataVELT;DBQ=/forms/f1.xls;DefaultDir=/forms;");

xls::Cell num(double v)
{
    return {xls::CellType::Number, v, {}};
}
xls::Cell text(std::string v)
{
    return {xls::CellType::Text, 0, std::move(v)};
}
xls::Cell boolean(bool v)
{
    return {xls::CellType::Boolean, v ? 1.0 : 0.0, {}};
}
xls::Cell error(std::uint8_t code)
{
    return {xls::CellType::Error, double(code), {}};
}
xls::Cell date(double serial)
{
    return {xls::CellType::Date, serial, {}};
}
xls::Cell none()
{
    return {};
}

using Tables = std::map<std::string, xls::Table>;

// Tables built in code; counts what is asked for and fails where told to.
class FakeTables : public TableProvider
{
public:
    FakeTables(Tables tables, std::map<std::string, int> *asked)
        : m_tables(std::move(tables))
        , m_asked(asked)
    { }
    std::optional<xls::Table> table(std::string_view name) override
    {
        const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size()));
        ++(*m_asked)[wanted.toStdString()];
        for (const auto &[key, value] : m_tables) {
            if (QString::fromStdString(key).compare(wanted, Qt::CaseInsensitive) != 0)
                continue;
            if (value.columns.empty())
                throw DataSourceError(QStringLiteral("The name \"%1\" is not a table").arg(wanted));
            return value;
        }
        return std::nullopt;
    }

private:
    Tables m_tables;
    std::map<std::string, int> *m_asked;
};

xls::Table formDataAdr()
{
    return {{"ID_Element", "Name", "Val"},
            {{text("P_OKUD"), text("Код по ОКУД "), text("0606024")},
             {text("P_FormName"), text("Форма "), text("№ 1-РО")},
             {text("P_Name"), text("Организация: "), none()},
             {none(), none(), none()}}};
}

xls::Table formChecks()
{
    // Listed out of order; texts that hold numbers count, other texts and 0 or less do not.
    return {{"ID_Form", "ID_Section", "ID_Rule", "ID_Check", "Name", "Result"},
            {{num(1), num(2), num(1), num(1), text("2.1.1"), num(1)},
             {num(1), num(1), num(2), num(1), text("1.2.1"), text("3")},
             {num(1), num(1), num(1), num(2), text("1.1.2"), num(0.5)},
             {num(1), num(1), num(1), num(1), text("1.1.1"), num(2)},
             {num(1), num(1), num(1), num(3), text("zero"), num(0)},
             {num(1), num(1), num(1), num(4), text("negative"), num(-1)},
             {num(1), num(1), num(1), num(5), text("word"), text("fail")},
             {num(1), num(1), num(1), num(6), text("error"), error(0x07)},
             {num(1), num(1), num(1), num(7), text("true"), boolean(true)},
             {none(), none(), none(), none(), none(), none()}}};
}

class SqliteSource : public testing::Test
{
protected:
    SqliteSource()
        : source([this](const QString &path) -> std::unique_ptr<TableProvider> {
            opened << path;
            if (failOpen)
                throw DataSourceError(
                        QStringLiteral("The file \"%1\" is not a workbook").arg(path));
            return std::make_unique<FakeTables>(tables, &asked);
        })
    {
        tables = {{"Data_Adr", formDataAdr()}, {"T_Check", formChecks()}};
    }

    void connect(const QString &connection = kConnection)
    {
        source.FormConnection().setConnectionString(connection);
        source.FormConnection().open();
    }

    Query &run(const QString &statement)
    {
        source.qwData().replaceStatement(statement);
        source.qwData().open();
        return source.qwData();
    }

    // Every row's field, from the current row to the end.
    QStringList walk(const QString &column)
    {
        QStringList values;
        for (Query &q = source.qwData(); !q.eof(); q.next())
            values << q.fieldText(column);
        return values;
    }

    // The message of the DataSourceError that `action` raises.
    template<typename Action> QString errorOf(Action action)
    {
        try {
            action();
        } catch (const DataSourceError &e) {
            return e.message();
        }
        ADD_FAILURE() << "no DataSourceError";
        return {};
    }

    Tables tables;
    std::map<std::string, int> asked;
    QStringList opened;
    bool failOpen = false;
    SqliteWorkbookSource source;
};

TEST_F(SqliteSource, IdentificationReadsTheFormCode)
{
    connect();
    EXPECT_EQ(opened, QStringList {"/forms/f1.xls"});
    Query &q = run(kIdentification);
    EXPECT_TRUE(q.Active());
    EXPECT_FALSE(q.isEmpty());
    EXPECT_EQ(q.value(QStringLiteral("Val")).toText(), QStringLiteral("0606024"));
    EXPECT_EQ(q.fieldText(0), QStringLiteral("0606024"));
    // Names and keys ignore case, as the spreadsheet driver's do.
    run(QStringLiteral("select val from data_adr where id_element = 'p_okud'"));
    EXPECT_EQ(q.value(QStringLiteral("VAL")).toText(), QStringLiteral("0606024"));
}

TEST_F(SqliteSource, IdentificationWithoutTheCodeRowGivesNull)
{
    tables["Data_Adr"].rows.erase(tables["Data_Adr"].rows.begin());
    connect();
    Query &q = run(kIdentification);
    EXPECT_TRUE(q.isEmpty());
    EXPECT_TRUE(q.value(QStringLiteral("Val")).isNull());
    EXPECT_THROW(q.value(QStringLiteral("Val")).toText(), DataSourceError);
    EXPECT_EQ(q.fieldText(0), QString());
}

TEST_F(SqliteSource, CaptionsThroughTheFilterSteps)
{
    connect();
    Query &q = run(kCaptions);
    ASSERT_FALSE(q.isEmpty());
    const auto caption = [&q](const QString &filter) {
        q.setFiltered(false);
        q.setFilterText(filter);
        q.setFiltered(true);
        return q.fieldText(QStringLiteral("CaptionInForm"));
    };
    EXPECT_EQ(caption(QStringLiteral(" ID_Element = 'P_FormName'")),
              QStringLiteral("Форма № 1-РО"));
    // An empty value counts as empty text: the name alone.
    EXPECT_EQ(caption(QStringLiteral(" ID_Element = 'P_Name'")), QStringLiteral("Организация: "));
    EXPECT_EQ(caption(QStringLiteral(" ID_Element = 'P_Missing'")), QString());
    EXPECT_TRUE(q.isEmpty());
    q.setFiltered(false);
    q.setFilterText(QString());
    // All four rows again, the empty one joined to null.
    EXPECT_EQ(q.fieldText(QStringLiteral("ID_Element")), QStringLiteral("P_OKUD"));
    EXPECT_EQ(walk(QStringLiteral("CaptionInForm")),
              (QStringList {"Код по ОКУД 0606024", "Форма № 1-РО", "Организация: ", ""}));
}

TEST_F(SqliteSource, FailedChecksInTheirOrder)
{
    connect();
    run(kFailedChecks);
    EXPECT_EQ(walk(QStringLiteral("Name")),
              (QStringList {"1.1.1", "1.1.2", "true", "1.2.1", "2.1.1"}));
    Query &q = source.qwData();
    EXPECT_TRUE(q.eof());
    q.next(); // stepping past the end does nothing
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.fieldText(QStringLiteral("Name")), QString());
}

TEST_F(SqliteSource, NoFailedCheckGivesAnEmptyResult)
{
    for (auto &row : tables["T_Check"].rows)
        row[5] = num(0);
    connect();
    Query &q = run(kFailedChecks);
    EXPECT_TRUE(q.isEmpty());
    EXPECT_TRUE(q.eof());
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.fieldText(4), QString());
    EXPECT_TRUE(q.value(QStringLiteral("Result")).isNull());
}

struct ValueCase
{
    const char *name;
    xls::Cell cell;
    bool null;
    const char *text;
};

class SqliteSourceValue : public SqliteSource, public testing::WithParamInterface<ValueCase>
{
};

TEST_P(SqliteSourceValue, KeepsItsOwnType)
{
    tables["Data_Adr"].rows[0][2] = GetParam().cell;
    RegionalSettings settings;
    settings.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    source.setRegionalSettings(settings);
    connect();
    Query &q = run(kIdentification);
    const FieldValue value = q.value(QStringLiteral("Val"));
    EXPECT_EQ(value.isNull(), GetParam().null);
    EXPECT_EQ(q.fieldText(QStringLiteral("Val")), QString::fromUtf8(GetParam().text));
    if (!value.isNull()) {
        EXPECT_EQ(value.toText(), QString::fromUtf8(GetParam().text));
    }
    // Joined to a text, the value reads the same.
    run(kCaptions);
    EXPECT_EQ(q.fieldText(0), QStringLiteral("Код по ОКУД ") + QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, SqliteSourceValue,
                         testing::Values(ValueCase {"Integer", num(606024), false, "606024"},
                                         ValueCase {"Fraction", num(12.5), false, "12.5"},
                                         ValueCase {"Tenth", num(0.1), false, "0.1"},
                                         ValueCase {"Large", num(1e15), false, "1E+15"},
                                         ValueCase {"Text", text("0606024"), false, "0606024"},
                                         ValueCase {"EmptyText", text(""), false, ""},
                                         ValueCase {"True", boolean(true), false, "1"},
                                         ValueCase {"False", boolean(false), false, "0"},
                                         ValueCase {"Error", error(0x07), true, ""},
                                         ValueCase {"Empty", none(), true, ""},
                                         ValueCase {"Date", date(45292), false, "01.01.2024"},
                                         ValueCase {"AfterLeapDay", date(61), false, "01.03.1900"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SqliteSource, DatesFollowTheSettingsInForceWhenRead)
{
    tables["Data_Adr"].rows[0][2] = date(45292);
    connect();
    RegionalSettings settings;
    settings.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    source.setRegionalSettings(settings);
    EXPECT_EQ(run(kIdentification).fieldText(0), QStringLiteral("2024-01-01"));
    settings.shortDateFormat = QStringLiteral("dd/MM/yy");
    source.setRegionalSettings(settings);
    EXPECT_EQ(run(kIdentification).fieldText(0), QStringLiteral("01/01/24"));
}

TEST_F(SqliteSource, QueryFollowsItsStatementAndCursor)
{
    connect();
    Query &q = source.qwData();
    EXPECT_FALSE(q.Active());
    run(kCaptions);
    q.next();
    EXPECT_EQ(q.fieldText(QStringLiteral("ID_Element")), QStringLiteral("P_FormName"));
    // Replacing the statement closes the result.
    q.replaceStatement(kFailedChecks);
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(q.statement(), kFailedChecks);
    EXPECT_THROW(q.fieldText(0), DataSourceError);
    q.open();
    EXPECT_EQ(q.fieldText(QStringLiteral("Name")), QStringLiteral("1.1.1"));
    q.close();
    EXPECT_FALSE(q.Active());
    EXPECT_TRUE(q.eof());
    // Opening again runs the statement again, from its first row.
    q.open();
    EXPECT_EQ(q.fieldText(QStringLiteral("Name")), QStringLiteral("1.1.1"));
}

TEST_F(SqliteSource, FilteringWorksOnTheResultAndStartsAtItsFirstRow)
{
    connect();
    Query &q = run(kFailedChecks);
    q.next();
    q.setFilterText(QStringLiteral("ID_Section = 1 AND ID_Rule = 1"));
    q.setFiltered(true);
    EXPECT_TRUE(q.Filtered());
    EXPECT_EQ(walk(QStringLiteral("Name")), (QStringList {"1.1.1", "1.1.2", "true"}));
    // A new text while filtering is on applies at once.
    q.setFilterText(QStringLiteral("Name LIKE '2*'"));
    EXPECT_EQ(walk(QStringLiteral("Name")), QStringList {"2.1.1"});
    q.setFiltered(false);
    EXPECT_EQ(q.fieldText(QStringLiteral("Name")), QStringLiteral("1.1.1"));
    EXPECT_EQ(walk(QStringLiteral("Name")).size(), 5);
}

TEST_F(SqliteSource, FilteringStaysOnForTheNextStatement)
{
    connect();
    Query &q = run(kCaptions);
    q.setFilterText(QStringLiteral(" ID_Element = 'P_Name'"));
    q.setFiltered(true);
    q.replaceStatement(kIdentification);
    // The identification's result has no ID_Element: the filter cannot apply.
    const QString message = errorOf([&q] { q.open(); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"ID_Element\""))) << message.toStdString();
    EXPECT_FALSE(q.Active());
    q.setFiltered(false);
    q.open();
    EXPECT_EQ(q.fieldText(0), QStringLiteral("0606024"));
}

TEST_F(SqliteSource, AnInvalidFilterLeavesTheResultAsItWas)
{
    connect();
    Query &q = run(kCaptions);
    q.setFilterText(QStringLiteral("ID_Element = "));
    EXPECT_THROW(q.setFiltered(true), DataSourceError);
    EXPECT_FALSE(q.Filtered());
    EXPECT_EQ(walk(QStringLiteral("ID_Element")).size(), 4);
}

TEST_F(SqliteSource, TablesAreReadOncePerConnection)
{
    connect();
    run(kIdentification);
    run(kCaptions);
    run(QStringLiteral("Select ID_Element from Data_Adr, T_Check where Val = Result"));
    EXPECT_EQ(asked, (std::map<std::string, int> {{"Data_Adr", 1}, {"T_Check", 1}}));
    // A new connection opens the workbook afresh and drops the old tables.
    connect(QStringLiteral("DSN=DataVELT;DBQ=/forms/f2.xls;DefaultDir=/forms;"));
    EXPECT_EQ(opened, (QStringList {"/forms/f1.xls", "/forms/f2.xls"}));
    run(kIdentification);
    EXPECT_EQ(asked["Data_Adr"], 2);
}

TEST_F(SqliteSource, EachWorkbookIsReadWithItsOwnTables)
{
    connect();
    EXPECT_EQ(run(kIdentification).fieldText(0), QStringLiteral("0606024"));
    run(kFailedChecks);
    EXPECT_EQ(walk(QStringLiteral("Name")).size(), 5);

    // The next workbook: Data_Adr with other columns, no T_Check at all.
    tables = {{"Data_Adr", xls::Table {{"Val", "ID_Element", "Extra"},
                                       {{text("0606021"), text("P_OKUD"), num(7)},
                                        {text("Сведения"), text("P_FormName"), none()}}}}};
    connect(QStringLiteral("DSN=DataVELT;DBQ=/forms/f2.xls;DefaultDir=/forms;"));
    EXPECT_EQ(run(kIdentification).fieldText(0), QStringLiteral("0606021"));
    EXPECT_EQ(run(QStringLiteral("Select Extra from Data_Adr")).fieldText(0), QStringLiteral("7"));
    Query &q = source.qwData();
    q.replaceStatement(kFailedChecks);
    EXPECT_EQ(errorOf([&q] { q.open(); }),
              QStringLiteral("The workbook \"/forms/f2.xls\" has no table \"T_Check\""));
    q.replaceStatement(kCaptions);
    EXPECT_TRUE(errorOf([&q] { q.open(); }).contains(QStringLiteral("no column \"Name\"")));

    // A third workbook like the first: its own rows, not those of either before it.
    tables = {{"Data_Adr", formDataAdr()}, {"T_Check", formChecks()}};
    tables["Data_Adr"].rows[0][2] = text("0606026");
    tables["T_Check"].rows.resize(1);
    connect(QStringLiteral("DSN=DataVELT;DBQ=/forms/f3.xls;DefaultDir=/forms;"));
    EXPECT_EQ(run(kIdentification).fieldText(0), QStringLiteral("0606026"));
    run(kFailedChecks);
    EXPECT_EQ(walk(QStringLiteral("Name")), (QStringList {"2.1.1"}));
    run(kCaptions);
    EXPECT_EQ(walk(QStringLiteral("CaptionInForm")).size(), 4);
    EXPECT_EQ(asked, (std::map<std::string, int> {{"Data_Adr", 3}, {"T_Check", 3}}));
}

TEST_F(SqliteSource, ClosingTheConnectionClosesTheQuery)
{
    connect();
    Query &q = run(kIdentification);
    source.FormConnection().close();
    EXPECT_FALSE(source.FormConnection().Connected());
    EXPECT_FALSE(q.Active());
    const QString message = errorOf([&q] { q.open(); });
    EXPECT_TRUE(message.contains(QStringLiteral("not open"))) << message.toStdString();
}

TEST_F(SqliteSource, ConnectionsNeedTheDataSourceAndAWorkbook)
{
    struct Case
    {
        const char *connection;
        const char *expected; // part of the message
    };
    const Case cases[] = {
            {"DSN=Other;DBQ=/forms/f1.xls;", "\"Other\" not found"},
            {"DBQ=/forms/f1.xls;", "Data source name not found"},
            {"", "Data source name not found"},
            {"DSN=DataVELT;DefaultDir=/forms;", "names no workbook"},
            {"DSN=DataVELT;DBQ={/forms", "no closing"},
    };
    for (const Case &c : cases) {
        const QString message = errorOf([&] { connect(QString::fromUtf8(c.connection)); });
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.expected)))
                << c.connection << ": " << message.toStdString();
        EXPECT_FALSE(source.FormConnection().Connected()) << c.connection;
    }
    EXPECT_TRUE(opened.isEmpty());
    // The name of the data source ignores case; a relative workbook lies in the default folder.
    connect(QStringLiteral("dsn=datavelt;dbq=/forms/f1.xls"));
    EXPECT_TRUE(source.FormConnection().Connected());
    connect(QStringLiteral("DSN=DataVELT;DBQ=f2.xls;DefaultDir=/forms;"));
    connect(QStringLiteral("DSN=DataVELT;DBQ={a;b.xls};DefaultDir={/x;y};"));
    connect(QStringLiteral("DSN=DataVELT;DBQ=f3.xls;DefaultDir=;"));
    EXPECT_EQ(opened, (QStringList {"/forms/f1.xls", "/forms/f2.xls", "/x;y/a;b.xls", "f3.xls"}));
}

TEST_F(SqliteSource, AWorkbookThatCannotBeOpenedLeavesNoConnection)
{
    connect();
    failOpen = true;
    const QString message = errorOf([this] { connect(); });
    EXPECT_EQ(message, QStringLiteral("The file \"/forms/f1.xls\" is not a workbook"));
    EXPECT_FALSE(source.FormConnection().Connected());
}

TEST_F(SqliteSource, ErrorsNameWhatIsMissing)
{
    tables["Broken"] = xls::Table {}; // a name that is not a table
    connect();
    struct Case
    {
        QString statement;
        QString expected;
    };
    const Case cases[] = {
            {QStringLiteral("Select Val from Missing"),
             QStringLiteral("The workbook \"/forms/f1.xls\" has no table \"Missing\"")},
            {QStringLiteral("Select Valx from Data_Adr"), QStringLiteral("no column \"Valx\"")},
            {QStringLiteral("Select Val from Broken"),
             QStringLiteral("The name \"Broken\" is not a table")},
            {QStringLiteral("Select Val from Data_Adr where"),
             QStringLiteral("Could not run the statement")},
            {QStringLiteral("Delete from Data_Adr"), QStringLiteral("may not be modified")},
            {QStringLiteral("Create table Extra(a)"), QStringLiteral("Only Select statements")},
            {QStringLiteral("Attach 'other.db' as other"), QStringLiteral("not authorized")},
            {QStringLiteral("Pragma table_info(Data_Adr)"), QStringLiteral("not authorized")},
            {QStringLiteral("Select 1; Select 2"), QStringLiteral("Only one statement")},
            {QStringLiteral("   "), QStringLiteral("no statement")},
    };
    Query &q = source.qwData();
    for (const Case &c : cases) {
        q.replaceStatement(c.statement);
        const QString message = errorOf([&q] { q.open(); });
        EXPECT_TRUE(message.contains(c.expected)) << message.toStdString();
        EXPECT_FALSE(q.Active());
    }
    run(kIdentification);
    EXPECT_TRUE(errorOf([&q] {
                    q.value(QStringLiteral("Name"));
                }).contains(QStringLiteral("\"Name\"")));
    EXPECT_THROW(q.fieldText(1), DataSourceError);
    EXPECT_THROW(q.fieldText(-1), DataSourceError);
}

TEST_F(SqliteSource, QueryWithoutAConnectionRaises)
{
    source.qwData().replaceStatement(kIdentification);
    EXPECT_THROW(source.qwData().open(), DataSourceError);
    EXPECT_FALSE(source.qwData().Active());
}

TEST_F(SqliteSource, HeadersThatDoNotNameAColumnUniquely)
{
    tables["Odd"] = xls::Table {{"Name", "", "name", "Val"},
                                {{text("a"), text("b"), text("c"), text("d")}}};
    connect();
    Query &q = run(QStringLiteral("Select Name, F2, F3, Val from Odd"));
    EXPECT_EQ(q.fieldText(0) + q.fieldText(1) + q.fieldText(2) + q.fieldText(3),
              QStringLiteral("abcd"));
}

TEST_F(SqliteSource, HeadersWithQuotesAndBracketsAreNamesLikeAnyOther)
{
    tables["Odd"] = xls::Table {{"a\"b", "x) ; drop", "[c]"}, {{text("1"), text("2"), text("3")}}};
    connect();
    Query &q = run(QStringLiteral("Select \"a\"\"b\", [x) ; drop], \"[c]\" from Odd"));
    EXPECT_EQ(q.fieldText(0) + q.fieldText(1) + q.fieldText(2), QStringLiteral("123"));
}

// Damaged statements (a character dropped, an operator or a parenthesis slipped in) either run
// or raise DataSourceError: never anything else.
TEST_F(SqliteSource, DamagedStatementsRunOrRaise)
{
    connect();
    int ran = 0;
    int raised = 0;
    for (const QString &statement : {kIdentification, kCaptions, kFailedChecks}) {
        for (qsizetype i = 0; i <= statement.size(); ++i) {
            for (const QString &damaged :
                 {QString(statement).remove(i, 1), QString(statement).insert(i, QLatin1Char('&')),
                  QString(statement).insert(i, QLatin1Char('(')),
                  QString(statement).insert(i, QLatin1Char('\''))}) {
                try {
                    run(damaged);
                    ++ran;
                } catch (const DataSourceError &) {
                    ++raised;
                }
            }
        }
    }
    EXPECT_GT(ran, 0);
    EXPECT_GT(raised, 0);
}

// The large form: 60,000 checks, every hundredth failed.
TEST_F(SqliteSource, LargeFormIsQuick)
{
    xls::Table &checks = tables["T_Check"];
    checks.rows.clear();
    for (int i = 0; i < 60000; ++i) {
        checks.rows.push_back({num(1), num(60000 - i), num(1), num(i % 7),
                               text("Check " + std::to_string(i)), num(i % 100 == 0 ? 1 : 0)});
    }
    connect();
    run(kFailedChecks); // reads the table from the workbook
    const auto start = std::chrono::steady_clock::now();
    run(kFailedChecks);
    const QStringList names = walk(QStringLiteral("Name"));
    const auto elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(names.size(), 600);
    EXPECT_EQ(names.front(), QStringLiteral("Check 59900")); // section 100 sorts first
    RecordProperty("milliseconds", std::to_string(elapsed.count()));
    std::cout << "failed checks of 60,000: " << elapsed.count() << " ms\n";
}

} // namespace

namespace {

// A form workbook from the examples, read by the workbook reader.
TEST(SqliteWorkbookSourceOnFile, ReadsAnExampleForm)
{
    const QString path = QStringLiteral(ZORT_SOURCE_DIR "/examples/form-0606026-errors.xls");
    SqliteWorkbookSource source;
    RegionalSettings settings;
    settings.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    source.setRegionalSettings(settings);
    source.FormConnection().setConnectionString(
            QStringLiteral("DSN=DataVELT;DBQ=%1;DefaultDir=%2;")
                    .arg(path, QStringLiteral(ZORT_SOURCE_DIR "/examples")));
    source.FormConnection().open();
    Query &q = source.qwData();
    q.replaceStatement(kIdentification);
    q.open();
    EXPECT_EQ(q.value(QStringLiteral("Val")).toText(), QStringLiteral("0606026"));

    q.replaceStatement(kCaptions);
    q.open();
    QStringList captions;
    for (; !q.eof(); q.next())
        captions << q.fieldText(QStringLiteral("ID_Element")) + QLatin1Char('=') + q.fieldText(0);
    EXPECT_EQ(captions,
              (QStringList {"P_OKUD=Код формы по ОКУД: 0606026",
                            "P_FormName=Форма № 26-РС «Сведения о работах по договорам подряда»",
                            "P_Name=Наименование организации: АО «Вологдастрой»",
                            "P_INN=ИНН: 3525012345",
                            "P_Period=Отчётный период: январь – декабрь 2024 г.",
                            "P_Address=Почтовый адрес: 160000, г. Вологда, ул. Мира, д. 12",
                            "P_Head=Руководитель: Иванова Е. П.",
                            "P_Date=Дата составления: 20.01.2025"}));

    q.replaceStatement(kFailedChecks);
    q.open();
    QStringList failed;
    for (; !q.eof(); q.next()) {
        failed << QStringList {q.fieldText(0), q.fieldText(1), q.fieldText(2), q.fieldText(3)}.join(
                QLatin1Char('.'));
    }
    EXPECT_EQ(failed, (QStringList {"1.1.1.2", "1.1.2.1", "1.1.10.1", "1.2.1.1"}));
}

TEST(SqliteWorkbookSourceOnFile, AFileThatCannotBeReadIsReportedByName)
{
    for (const char *name : {"fods.py", "no-such-file.xls"}) {
        const QString path = QStringLiteral(ZORT_SOURCE_DIR "/examples/") + QString::fromUtf8(name);
        SqliteWorkbookSource source;
        source.FormConnection().setConnectionString(
                QStringLiteral("DSN=DataVELT;DBQ=%1;").arg(path));
        try {
            source.FormConnection().open();
            ADD_FAILURE() << "opened " << name;
        } catch (const DataSourceError &error) {
            EXPECT_TRUE(error.message().contains(path)) << error.what();
        }
        EXPECT_FALSE(source.FormConnection().Connected());
    }
}

} // namespace
