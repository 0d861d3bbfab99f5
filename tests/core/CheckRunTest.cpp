#include "CheckRun.h"

#include "FormChecker.h"
#include "MemoryWorkbooks.h"
#include "ReportBlock.h"
#include "ReportIoError.h"
#include "ReportText.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zort;
using namespace zort::test;

namespace {

class RecordingHost : public CheckRunHost
{
public:
    QStringList messages;
    QStringList openedReports;
    std::vector<ReportBlock> blocks;

    void showMessage(const QString &text) override { messages << text; }
    void openReport(const QString &reportPath) override { openedReports << reportPath; }
    void blockWritten(const ReportBlock &block) override { blocks.push_back(block); }
};

FakeTables form(const char *code, const char *formName, std::vector<const char *> failed = {})
{
    std::vector<std::vector<xls::Cell>> checks;
    double id = 1;
    for (const char *name : failed) {
        checks.push_back({number(1), number(1), number(1), number(id++), text(name), number(1)});
    }
    checks.push_back({number(1), number(1), number(1), number(id), text("Верно"), number(0)});
    return {{"Data_Adr", dataAdr({{text("P_OKUD"), text(""), text(code)},
                                  {text("P_FormName"), text("Форма "), text(formName)},
                                  {text("P_Name"), text("Кто: "), text("ООО Тест")}})},
            {"T_Check", tCheck(std::move(checks))}};
}

const QString chooseDocument = QStringLiteral("Выберите документ для проверки.");

class CheckRunTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_checker = std::make_unique<FormChecker>(m_workbooks.source(), reportPath());
        m_checker->setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 0)); });
    }

    QString reportPath() const { return m_dir.filePath(QStringLiteral("Errors.txt")); }
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    RunOutcome run(const std::vector<DocumentEntry> &entries)
    {
        return runChecks(*m_checker, entries, m_host);
    }
    void writeOldReport()
    {
        QFile old(reportPath());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old report\r\n");
    }
    // The lines of a block as the report writer lays them out, with the run's fixed clock.
    QStringList recognisedBlock(const QString &file, const char *formName,
                                const QStringList &failed) const
    {
        QStringList lines {QStringLiteral("Файл: ") + file,
                           QStringLiteral("Дата: 05.03.2024   14:30:00"),
                           QStringLiteral("Форма ") + QString::fromUtf8(formName),
                           QStringLiteral("Кто: ООО Тест")};
        lines << (failed.isEmpty() ? QStringList {QStringLiteral("Ошибки в документе не найдены.")}
                                   : failed);
        lines << QStringLiteral("Проверка завершена: 14:30:00.") << QString() << QString()
              << QString();
        return lines;
    }
    QStringList unknownBlock(const QString &file) const
    {
        return {QStringLiteral("Файл: ") + file,
                QStringLiteral("Дата: 05.03.2024   14:30:00"),
                QString(66, u'*'),
                QStringLiteral("***      Ошибка №1: Неизвестный документ!!!      ***"),
                QString(66, u'*'),
                QStringLiteral("Проверка завершена: 14:30:00."),
                QString(),
                QString(),
                QString()};
    }

    QTemporaryDir m_dir;
    MemoryWorkbooks m_workbooks;
    std::unique_ptr<FormChecker> m_checker;
    RecordingHost m_host;
};

TEST_F(CheckRunTest, AnEmptyListOnlyAsksForADocument)
{
    EXPECT_EQ(run({}), RunOutcome::NothingTicked);
    EXPECT_EQ(m_host.messages, QStringList {chooseDocument});
    EXPECT_TRUE(m_host.openedReports.isEmpty());
    EXPECT_FALSE(QFile::exists(reportPath()));
}

TEST_F(CheckRunTest, NothingTickedAsksOnceAndLeavesTheOldReport)
{
    writeOldReport();
    m_workbooks.add(path("a.xls"), form("0606024", "А"));
    EXPECT_EQ(run({{path("a.xls"), false}, {path("b.xls"), false}, {path("c.xls"), false}}),
              RunOutcome::NothingTicked);
    EXPECT_EQ(m_host.messages, QStringList {chooseDocument});
    EXPECT_TRUE(m_host.openedReports.isEmpty());
    EXPECT_EQ(fileBytes(reportPath()), QByteArray("old report\r\n"));
}

TEST_F(CheckRunTest, OnlyTheSecondTickedStartsTheReportAfresh)
{
    writeOldReport();
    m_workbooks.add(path("a.xls"), form("0606024", "А"));
    m_workbooks.add(path("b.xls"), form("0606021", "Б", {"Строка 1 не равна строке 2"}));
    EXPECT_EQ(run({{path("a.xls"), false}, {path("b.xls"), true}, {path("c.xls"), false}}),
              RunOutcome::ReportWritten);
    EXPECT_EQ(reportLines(reportPath()),
              recognisedBlock(path("b.xls"), "Б", {QStringLiteral("Строка 1 не равна строке 2")}));
    EXPECT_TRUE(m_host.messages.isEmpty());
    EXPECT_EQ(m_host.openedReports, QStringList {reportPath()});
    ASSERT_EQ(m_host.blocks.size(), 1u);
    EXPECT_EQ(m_host.blocks[0].code, QStringLiteral("0606021"));
}

TEST_F(CheckRunTest, EveryTickedEntryGetsOneBlockInListOrder)
{
    // An unreadable entry after a recognised one, an unknown code, a workbook without
    // identification, and a form whose code is a number and so loses its leading zero.
    m_workbooks.add(path("good.xls"), form("0606024", "Хорошая", {"Ошибка 1", "Ошибка 2"}));
    m_workbooks.add(path("unknown.xls"), form("0606099", "Чужая"));
    m_workbooks.add(path("noid.xls"), {{"T_Check", tCheck({})}});
    FakeTables numeric = form("0", "Числовая");
    numeric["Data_Adr"].rows[0][2] = number(606024);
    m_workbooks.add(path("numeric.xls"), numeric);
    m_workbooks.add(path("clean.xls"), form("0000002", "Чистая"));

    EXPECT_EQ(run({{path("good.xls"), true},
                   {path("broken.xls"), true},
                   {path("unknown.xls"), true},
                   {path("noid.xls"), true},
                   {path("skipped.xls"), false},
                   {path("numeric.xls"), true},
                   {path("clean.xls"), true}}),
              RunOutcome::ReportWritten);
    QStringList expected = recognisedBlock(
            path("good.xls"), "Хорошая", {QStringLiteral("Ошибка 1"), QStringLiteral("Ошибка 2")});
    expected << unknownBlock(path("broken.xls")) << unknownBlock(path("unknown.xls"))
             << unknownBlock(path("noid.xls")) << unknownBlock(path("numeric.xls"))
             << recognisedBlock(path("clean.xls"), "Чистая", {});
    EXPECT_EQ(reportLines(reportPath()), expected);
    EXPECT_EQ(m_host.blocks.size(), 6u);
    EXPECT_EQ(m_host.openedReports, QStringList {reportPath()});
    // Nothing is left open after the run.
    EXPECT_FALSE(m_checker->source().FormConnection().Connected());
    EXPECT_FALSE(m_checker->source().qwData().Active());
}

TEST_F(CheckRunTest, AFormWithoutChecksEndsTheRunAndKeepsTheEarlierBlocks)
{
    m_workbooks.add(path("good.xls"), form("0606024", "Хорошая"));
    FakeTables noChecks = form("0606026", "Без проверок");
    noChecks.erase("T_Check");
    m_workbooks.add(path("nochecks.xls"), noChecks);
    m_workbooks.add(path("later.xls"), form("0606020", "Позже"));

    EXPECT_THROW(run({{path("good.xls"), true},
                      {path("nochecks.xls"), true},
                      {path("later.xls"), true}}),
                 DataSourceError);
    const QStringList lines = reportLines(reportPath());
    const QStringList first = recognisedBlock(path("good.xls"), "Хорошая", {});
    ASSERT_GE(lines.size(), first.size());
    EXPECT_EQ(lines.mid(0, first.size()), first);
    // The block that failed keeps the lines written before the error; "later.xls" is not checked.
    EXPECT_EQ(lines.mid(first.size()),
              recognisedBlock(path("nochecks.xls"), "Без проверок", {}).mid(0, 4));
    EXPECT_EQ(m_host.blocks.size(), 1u);
    EXPECT_TRUE(m_host.openedReports.isEmpty());

    // A later run still recognises its forms, and starts the report afresh.
    EXPECT_EQ(run({{path("later.xls"), true}}), RunOutcome::ReportWritten);
    EXPECT_EQ(reportLines(reportPath()), recognisedBlock(path("later.xls"), "Позже", {}));
}

TEST_F(CheckRunTest, AReportThatCannotBeWrittenEndsTheRun)
{
    m_workbooks.add(path("good.xls"), form("0606024", "Хорошая"));
    FormChecker checker(m_workbooks.source(), m_dir.filePath(QStringLiteral("gone/Errors.txt")));
    try {
        runChecks(checker, {{path("good.xls"), true}, {path("good.xls"), true}}, m_host);
        FAIL() << "no error";
    } catch (const ReportIoError &e) {
        EXPECT_EQ(e.code(), 3);
    }
    EXPECT_TRUE(m_host.blocks.empty());
    EXPECT_TRUE(m_host.openedReports.isEmpty());
}

TEST_F(CheckRunTest, TheReportVanishingBetweenBlocksEndsTheRun)
{
    m_workbooks.add(path("a.xls"), form("0606024", "А"));
    // The host sees each block as it is written: remove the file after the first.
    class RemovingHost : public RecordingHost
    {
    public:
        QString report;
        void blockWritten(const ReportBlock &block) override
        {
            RecordingHost::blockWritten(block);
            QFile::remove(report);
        }
    } host;
    host.report = reportPath();
    try {
        runChecks(*m_checker, {{path("a.xls"), true}, {path("a.xls"), true}}, host);
        FAIL() << "no error";
    } catch (const ReportIoError &e) {
        EXPECT_EQ(e.code(), 2);
        EXPECT_EQ(e.message(), QStringLiteral("File not found"));
    }
    EXPECT_FALSE(QFile::exists(reportPath()));
    EXPECT_TRUE(host.openedReports.isEmpty());
}

} // namespace
