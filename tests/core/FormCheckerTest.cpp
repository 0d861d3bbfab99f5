#include "FormChecker.h"

#include "FakeWorkbookSource.h"
#include "MemoryWorkbooks.h"
#include "Platform.h"
#include "ReportIoError.h"
#include "ReportText.h"

#include <QTemporaryDir>

#include <algorithm>
#include <gtest/gtest.h>

using namespace zort;
using namespace zort::test;

namespace {

// A form workbook with its captions and the given checks.
FakeTables form(const char *code, std::vector<std::vector<xls::Cell>> checks = {})
{
    return {{"Data_Adr", dataAdr({{text("P_FormName"), text("Форма "), text("№ 1-ТЕСТ")},
                                  {text("P_OKUD"), text("Код формы"), text(code)},
                                  {text("P_Name"), text("Организация: "), text("ООО «Пример»")}})},
            {"T_Check", tCheck(std::move(checks))}};
}

// Each test runs on the SQLite data source over in-memory workbooks (m_checker) or, where it
// looks at the calls themselves, on the logging fake (m_spyChecker); both see the same
// workbooks and the same clock.
class FormCheckerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_checker = std::make_unique<FormChecker>(m_workbooks.source(), reportPath());
        auto spy = std::make_unique<FakeWorkbookSource>();
        m_spy = spy.get();
        m_spyChecker = std::make_unique<FormChecker>(std::move(spy), reportPath());
        for (FormChecker *checker : {m_checker.get(), m_spyChecker.get()}) {
            checker->setClock([this] {
                // 09:05:07 on the first reading, two seconds later on each further one.
                return QDateTime(QDate(2024, 3, 5), QTime(9, 5, 7)).addSecs(2 * m_clockReadings++);
            });
        }
    }

    QString reportPath() const { return m_dir.filePath(QStringLiteral("Errors.txt")); }
    QString workbook(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    void addWorkbook(const QString &path, const FakeTables &tables)
    {
        m_workbooks.add(path, tables);
        m_spy->workbooks[path] = tables;
    }
    // Connects to a workbook, identifies it and writes its block, as a run does.
    ReportBlock check(FormChecker &checker, const QString &path, bool first = true)
    {
        checker.state().FormPath = path;
        QString code = QStringLiteral("0");
        if (checker.ConnectToForm(path))
            code = checker.identifyForm();
        return checker.Verification(first, code);
    }
    bool logged(const std::string &entry) const
    {
        return std::find(m_spy->log.begin(), m_spy->log.end(), entry) != m_spy->log.end();
    }

    QTemporaryDir m_dir;
    MemoryWorkbooks m_workbooks;
    std::unique_ptr<FormChecker> m_checker;
    FakeWorkbookSource *m_spy = nullptr;
    std::unique_ptr<FormChecker> m_spyChecker;
    int m_clockReadings = 0;
};

class AcceptedCodes : public testing::TestWithParam<std::pair<const char *, bool>>
{
};

TEST_P(AcceptedCodes, AreExactlyTheSixFormCodes)
{
    EXPECT_EQ(FormChecker::Form_ID_Check(QString::fromUtf8(GetParam().first)), GetParam().second)
            << '"' << GetParam().first << '"';
}

INSTANTIATE_TEST_SUITE_P(Codes, AcceptedCodes,
                         testing::Values(std::pair {"0606024", true}, std::pair {"0606021", true},
                                         std::pair {"0606020", true}, std::pair {"0606026", true},
                                         std::pair {"0000001", true}, std::pair {"0000002", true},
                                         std::pair {"606024", false}, std::pair {" 0606024", false},
                                         std::pair {"0606024 ", false}, std::pair {"", false},
                                         std::pair {"0606024#0606021", false},
                                         std::pair {"#0606024#", false},
                                         std::pair {"0606024#", false}, std::pair {"#", false},
                                         std::pair {"06060240", false},
                                         std::pair {"0606025", false}));

TEST_F(FormCheckerTest, ConnectsThroughTheFolderAndFileName)
{
    const QString path = workbook("f1.xls");
    addWorkbook(path, form("0606024"));
    ASSERT_TRUE(m_checker->ConnectToForm(path));
    const MainWindowState &state = m_checker->state();
    EXPECT_EQ(state.FormFileName, QStringLiteral("f1.xls"));
    EXPECT_EQ(state.FormShortDir, m_dir.path());
    EXPECT_EQ(state.FormConnectString, QStringLiteral("DSN=DataVELT;DBQ=") + path
                                               + QStringLiteral(";DefaultDir=") + m_dir.path()
                                               + u';');
    EXPECT_EQ(m_checker->source().FormConnection().connectionString(), state.FormConnectString);
    EXPECT_TRUE(m_checker->source().FormConnection().Connected());
}

TEST_F(FormCheckerTest, AFailedConnectionClearsTheStateAndSaysFalse)
{
    const QString path = workbook("f1.xls");
    addWorkbook(path, form("0606024"));
    ASSERT_TRUE(m_spyChecker->ConnectToForm(path));

    // A folder that does not exist: no short form, so the data source is asked for "/f1.xls".
    EXPECT_FALSE(m_spyChecker->ConnectToForm(QStringLiteral("/no/such/folder/f1.xls")));
    EXPECT_TRUE(logged("connect DSN=DataVELT;DBQ=/f1.xls;DefaultDir=;"));
    const MainWindowState &state = m_spyChecker->state();
    EXPECT_TRUE(state.FormFileName.isEmpty());
    EXPECT_TRUE(state.FormShortDir.isEmpty());
    EXPECT_TRUE(state.FormConnectString.isEmpty());
    EXPECT_FALSE(m_spy->FormConnection().Connected());
}

TEST_F(FormCheckerTest, ConnectingClosesThePreviousWorkbookFirst)
{
    const QString first = workbook("a.xls"), second = workbook("b.xls");
    addWorkbook(first, form("0606024"));
    addWorkbook(second, form("0606021"));
    ASSERT_TRUE(m_spyChecker->ConnectToForm(first));
    m_spy->log.clear();
    ASSERT_TRUE(m_spyChecker->ConnectToForm(second));
    ASSERT_EQ(m_spy->log.size(), 2u);
    EXPECT_EQ(m_spy->log[0], "disconnect");
    EXPECT_EQ(m_spy->log[1].rfind("connect DSN=DataVELT;DBQ=" + second.toStdString(), 0), 0u);
}

TEST_F(FormCheckerTest, IdentificationGivesTheAcceptedCodeOrZero)
{
    struct Case
    {
        xls::Cell code;
        const char *expected;
    };
    const Case cases[] = {{text("0606024"), "0606024"}, {text("0000002"), "0000002"},
                          {text("0606025"), "0"},       {text("0606024#0606021"), "0"},
                          {number(606024), "0"}, // a number loses its leading zero
                          {text(" 0606024"), "0"}};
    for (const Case &c : cases) {
        const QString path = workbook("f.xls");
        addWorkbook(path, {{"Data_Adr", dataAdr({{text("P_OKUD"), text(""), c.code}})}});
        ASSERT_TRUE(m_checker->ConnectToForm(path));
        EXPECT_EQ(m_checker->identifyForm(), QString::fromUtf8(c.expected)) << c.code.text;
        EXPECT_TRUE(m_checker->source().qwData().Active()); // left open for the report writer
    }
}

TEST_F(FormCheckerTest, IdentificationFailsWithoutACode)
{
    const FakeTables cases[] = {
            {{"Data_Adr", dataAdr({{text("P_Name"), text("x"), text("y")}})}}, // no P_OKUD row
            {{"Data_Adr", dataAdr({{text("P_OKUD"), text("Код"), empty()}})}}, // empty value
            {{"T_Check", tCheck({})}}, // no Data_Adr
    };
    for (const FakeTables &tables : cases) {
        const QString path = workbook("f.xls");
        addWorkbook(path, tables);
        ASSERT_TRUE(m_checker->ConnectToForm(path));
        EXPECT_THROW(m_checker->identifyForm(), DataSourceError);
    }
}

TEST_F(FormCheckerTest, RecognisedFormListsItsFailedChecksInOrder)
{
    const QString path = workbook("Форма 1.xls");
    addWorkbook(path,
                form("0606024",
                     {{number(1), number(2), number(1), number(1), text("Раздел 2"), number(1)},
                      {number(1), number(1), number(2), number(1), text("Правило 2"), number(3)},
                      {number(1), number(1), number(1), number(2), text("Проверка 2"), number(0.5)},
                      {number(1), number(1), number(1), number(1), text("Проверка 1"), number(1)},
                      {number(1), number(1), number(1), number(3), text("Верно"), number(0)},
                      {number(1), number(1), number(1), number(4), text("Тоже верно"), number(-1)},
                      {number(1), number(1), number(1), number(5), text("Пусто"), empty()}}));
    const ReportBlock block = check(*m_checker, path);
    const QStringList expected = {QStringLiteral("Файл: ") + path,
                                  QStringLiteral("Дата: 05.03.2024   09:05:07"),
                                  QStringLiteral("Форма № 1-ТЕСТ"),
                                  QStringLiteral("Организация: ООО «Пример»"),
                                  QStringLiteral("Проверка 1"),
                                  QStringLiteral("Проверка 2"),
                                  QStringLiteral("Правило 2"),
                                  QStringLiteral("Раздел 2"),
                                  QStringLiteral("Проверка завершена: 09:05:09."),
                                  QString(),
                                  QString(),
                                  QString()};
    EXPECT_EQ(reportLines(reportPath()), expected);
    EXPECT_TRUE(block.recognised);
    ASSERT_EQ(block.failedChecks.size(), 4u);
    EXPECT_EQ(block.failedChecks[1].idCheck, QStringLiteral("2"));
    EXPECT_EQ(block.failedChecks[3].idSection, QStringLiteral("2"));
    EXPECT_EQ(block.formNameCaption, QStringLiteral("Форма № 1-ТЕСТ"));
    // What the block says of itself is what was written.
    EXPECT_EQ(block.lines(), expected);
    EXPECT_EQ(m_clockReadings, 2); // the start and the finish, read separately

    // Without the positions the report is the same and the block keeps only the names.
    m_checker->setRecordCheckPositions(false);
    const ReportBlock names = check(*m_checker, path);
    EXPECT_EQ(reportLines(reportPath()).mid(2, 6), expected.mid(2, 6));
    ASSERT_EQ(names.failedChecks.size(), 4u);
    EXPECT_EQ(names.failedChecks[0].name, QStringLiteral("Проверка 1"));
    EXPECT_TRUE(names.failedChecks[0].idCheck.isEmpty());
    EXPECT_FALSE(m_checker->source().qwData().Active());
}

TEST_F(FormCheckerTest, CleanFormAndUnknownFormBlocks)
{
    const QString clean = workbook("clean.xls"), unknown = workbook("unknown.xls");
    addWorkbook(clean, form("0000001", {{number(1), number(1), number(1), number(1), text("Верно"),
                                         number(0)}}));
    addWorkbook(unknown, form("1234567"));
    check(*m_checker, clean, true);
    const ReportBlock block = check(*m_checker, unknown, false);
    EXPECT_FALSE(block.recognised);

    const QByteArray stars(66, '*');
    // Spelled out in bytes: Windows-1251, CR LF.
    const QByteArray expected =
            "\xD4\xE0\xE9\xEB: " + clean.toUtf8()
            + "\r\n"
              "\xC4\xE0\xF2\xE0: 05.03.2024   09:05:07\r\n"
              "\xD4\xEE\xF0\xEC\xE0 \xB9 1-\xD2\xC5\xD1\xD2\r\n"
              "\xCE\xF0\xE3\xE0\xED\xE8\xE7\xE0\xF6\xE8\xFF: \xCE\xCE\xCE "
              "\xAB\xCF\xF0\xE8\xEC\xE5\xF0\xBB\r\n"
              "\xCE\xF8\xE8\xE1\xEA\xE8 \xE2 \xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xE5 \xED\xE5 "
              "\xED\xE0\xE9\xE4\xE5\xED\xFB.\r\n"
              "\xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0 \xE7\xE0\xE2\xE5\xF0\xF8\xE5\xED\xE0: 09:05:09.\r\n"
              "\r\n\r\n\r\n"
              "\xD4\xE0\xE9\xEB: "
            + unknown.toUtf8()
            + "\r\n"
              "\xC4\xE0\xF2\xE0: 05.03.2024   09:05:11\r\n"
            + stars
            + "\r\n"
              "***      \xCE\xF8\xE8\xE1\xEA\xE0 \xB9"
              "1: \xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xFB\xE9 \xE4\xEE\xEA\xF3\xEC\xE5\xED\xF2!!!"
              "      ***\r\n"
            + stars
            + "\r\n"
              "\xCF\xF0\xEE\xE2\xE5\xF0\xEA\xE0 \xE7\xE0\xE2\xE5\xF0\xF8\xE5\xED\xE0: 09:05:13.\r\n"
              "\r\n\r\n\r\n";
    EXPECT_EQ(fileBytes(reportPath()), expected);
}

TEST_F(FormCheckerTest, CaptionsFollowTheRowsThatExist)
{
    struct Case
    {
        xls::Table dataAdr;
        QStringList captions; // the lines between the date and "Ошибки ..."
    };
    const Case cases[] = {
            // No rows: no caption lines at all.
            {dataAdr({}), {}},
            // No "P_Name" row: an empty second line. An empty value adds nothing to the name.
            {dataAdr({{text("P_FormName"), text("Только имя"), empty()}}),
             {QStringLiteral("Только имя"), QString()}},
            // Keys compare as the driver compares texts, and the first of two rows counts.
            {dataAdr({{text("p_name"), text("Кто: "), text("мы")},
                      {text("P_FormName"), empty(), text("Форма")},
                      {text("P_FormName"), text("Вторая"), empty()}}),
             {QStringLiteral("Форма"), QStringLiteral("Кто: мы")}},
    };
    for (const Case &c : cases) {
        // The code is handed in as a run would after identifying the workbook.
        const QString path = workbook("f.xls");
        addWorkbook(path, {{"Data_Adr", c.dataAdr}, {"T_Check", tCheck({})}});
        ASSERT_TRUE(m_checker->ConnectToForm(path));
        m_checker->state().FormPath = path;
        m_checker->Verification(true, QStringLiteral("0606024"));
        QStringList lines = reportLines(reportPath());
        ASSERT_GE(lines.size(), 3 + c.captions.size() + 4);
        EXPECT_EQ(lines.mid(2, c.captions.size()), c.captions);
        EXPECT_EQ(lines[2 + c.captions.size()], QStringLiteral("Ошибки в документе не найдены."));
        EXPECT_EQ(lines.size(), 2 + c.captions.size() + 5);
    }
}

TEST_F(FormCheckerTest, CodeIsRecognisedWhenItSortsAfterZero)
{
    const std::pair<const char16_t *, bool> cases[] = {
            {u"0", false}, {u"", false}, {u"/", false},      {u" 1", false},
            {u"00", true}, {u"1", true}, {u"0606024", true}, {u"Ы", true},
    };
    for (const auto &[code, recognised] : cases) {
        const QString path = workbook("f.xls");
        addWorkbook(path, form("0606024"));
        ASSERT_TRUE(m_checker->ConnectToForm(path));
        m_checker->state().FormPath = path;
        const ReportBlock block = m_checker->Verification(true, QString::fromUtf16(code));
        EXPECT_EQ(block.recognised, recognised) << QString::fromUtf16(code).toStdString();
        EXPECT_EQ(reportLines(reportPath()).contains(QStringLiteral("Форма № 1-ТЕСТ")), recognised);
    }
}

TEST_F(FormCheckerTest, AnUnknownFormIsReadNoFurtherThanItsCode)
{
    const QString path = workbook("unknown.xls");
    addWorkbook(path, form("1234567"));
    check(*m_spyChecker, path);
    EXPECT_EQ(m_spy->log.back(), "open Select Val from Data_Adr Where ID_Element = 'P_OKUD'");
}

TEST_F(FormCheckerTest, FilteringIsSwitchedOffBeforeEachChangeAndAfterAnError)
{
    const QString path = workbook("f.xls");
    addWorkbook(path, form("0606024"));
    ASSERT_TRUE(m_spyChecker->ConnectToForm(path));
    m_spyChecker->state().FormPath = path;
    m_spy->log.clear();
    m_spyChecker->Verification(true, QStringLiteral("0606024"));
    const std::vector<std::string> expected = {
            "open Select (Name &  Val) as CaptionInForm, ID_Element from Data_Adr",
            "filter off",
            "filter text ' ID_Element = 'P_FormName''",
            "filter on",
            "filter off",
            "filter text ' ID_Element = 'P_Name''",
            "filter on",
            "filter off",
            "filter text ''",
            "filter text ''", // once more on leaving; harmless
            "open Select ID_Form, ID_Section, ID_Rule, ID_Check, Name, Result from T_Check where "
            "Result>0 Order by ID_Form, ID_Section, ID_Rule, ID_Check"};
    EXPECT_EQ(m_spy->log, expected);

    m_spy->failWithFilterOn = true;
    EXPECT_THROW(m_spyChecker->Verification(true, QStringLiteral("0606024")), DataSourceError);
    EXPECT_FALSE(m_spy->qwData().Filtered());
    EXPECT_TRUE(m_spy->qwData().filterText().isEmpty());
}

TEST_F(FormCheckerTest, ErrorsOfTheRecognisedBranchPropagateAndReleaseTheReport)
{
    const QString path = workbook("f.xls");
    addWorkbook(path, {{"Data_Adr", form("0606024").at("Data_Adr")}}); // no T_Check
    m_checker->state().FormPath = path;
    ASSERT_TRUE(m_checker->ConnectToForm(path));
    EXPECT_THROW(m_checker->Verification(true, QStringLiteral("0606024")), DataSourceError);
    // The lines before the failure stay; the file is closed.
    const QStringList lines = reportLines(reportPath());
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[3], QStringLiteral("Организация: ООО «Пример»"));
    platform::ExclusiveFile again;
    EXPECT_TRUE(again.open(reportPath(), platform::OpenMode::Append).ok());
}

TEST_F(FormCheckerTest, AReportThatCannotBeWrittenRaises)
{
    auto source = std::make_unique<FakeWorkbookSource>();
    FormChecker checker(std::move(source), m_dir.filePath(QStringLiteral("missing/Errors.txt")));
    try {
        checker.Verification(true, QStringLiteral("0"));
        FAIL() << "no error";
    } catch (const ReportIoError &e) {
        EXPECT_EQ(e.code(), 3);
        EXPECT_EQ(e.message(), QStringLiteral("Invalid filename"));
    }
    // Appending to a report that is not there never creates it.
    FormChecker appending(std::make_unique<FakeWorkbookSource>(), reportPath());
    EXPECT_THROW(appending.Verification(false, QStringLiteral("0")), ReportIoError);
    EXPECT_FALSE(QFile::exists(reportPath()));
}

TEST_F(FormCheckerTest, RegionalSettingsReachTheReportAndTheSource)
{
    RegionalSettings us;
    us.shortDateFormat = QStringLiteral("M/d/yy");
    us.clock24 = false;
    us.hourLeadingZero = false;
    us.ampmFirst = true;
    m_spyChecker->setRegionalSettings(us);
    EXPECT_EQ(m_spy->settings, us);
    m_spyChecker->state().FormPath = QStringLiteral("x.xls");
    const ReportBlock block = m_spyChecker->Verification(true, QStringLiteral("0"));
    EXPECT_EQ(block.dateLine(), QStringLiteral("Дата: 3/5/24   AM 9:05:07"));
    EXPECT_EQ(block.closingLine(), QStringLiteral("Проверка завершена: AM 9:05:09."));
}

} // namespace
