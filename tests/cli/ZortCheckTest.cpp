// zort-check end to end: the built executable run over the example forms, as a user runs it.
#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

namespace {

const QString examples = QStringLiteral(ZORT_SOURCE_DIR "/examples/");
const QString fixtures = QStringLiteral(ZORT_SOURCE_DIR "/tests/fixtures/");
const QString clean = examples + "form-0606024-clean.xls";
const QString errors = examples + "form-0606026-errors.xls";
const QString templ = examples + "template-0606021.xlt";
const QString unknown = examples + "unknown-0710001.xls";

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs zort-check under Russian regional settings, so that dates are "dd.MM.yyyy" and times
// "HH:mm:ss".
Outcome zortCheck(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "ru_RU.UTF-8");
    environment.insert("LANG", "ru_RU.UTF-8");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZORT_CHECK_EXE), arguments);
    Outcome run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "zort-check did not finish normally: "
                      << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

// Placeholders in an expected report for the lines that carry the clock.
const std::string dateLine = "<date line>";
const std::string closingLine = "<closing line>";

std::vector<std::string> block(const QString &path, std::vector<std::string> middle)
{
    std::vector<std::string> lines {"Файл: " + path.toStdString(), dateLine};
    lines.insert(lines.end(), middle.begin(), middle.end());
    lines.insert(lines.end(), {closingLine, "", "", ""});
    return lines;
}

std::vector<std::string> report(std::vector<std::vector<std::string>> blocks)
{
    std::vector<std::string> lines;
    for (const auto &b : blocks)
        lines.insert(lines.end(), b.begin(), b.end());
    return lines;
}

const std::vector<std::string> notRecognised {
        std::string(66, '*'), "***      Ошибка №1: Неизвестный документ!!!      ***",
        std::string(66, '*')};

const std::vector<std::string> cleanBlock = block(
        clean, {"Форма № 24-РС «Сведения о выполненных работах»",
                "Наименование организации: ООО «Северный луч»", "Ошибки в документе не найдены."});

// The checks stand in the sheet in another order; the report lists them by their four ids,
// compared as numbers (rule 10 after rule 2).
const std::vector<std::string> errorsBlock = block(
        errors, {"Форма № 26-РС «Сведения о работах по договорам подряда»",
                 "Наименование организации: АО «Вологдастрой»",
                 "Раздел 1, графа 4: строка 01 должна быть равна сумме строк 02–04",
                 "Раздел 1, графа 3: строка 05 не может быть больше строки 01",
                 "Раздел 1: значения показателей не могут быть отрицательными",
                 "Раздел 2: численность женщин (строка 07) не может быть больше среднесписочной "
                 "численности (строка 06)"});

const std::vector<std::string> templateBlock =
        block(templ, {"Форма № 21-РС «Сведения о ремонтно-строительных работах»",
                      "Наименование организации: ", "Ошибки в документе не найдены."});

const std::vector<std::string> unknownBlock = block(unknown, notRecognised);

std::vector<std::string> split(const std::string &text, const std::string &end)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
        lines.push_back(text.substr(start, at - start));
    if (start != text.size())
        lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

std::vector<std::string> todayAsReported()
{
    // Either side of midnight, should the run cross it.
    const QDate today = QDate::currentDate();
    return {today.toString("dd.MM.yyyy").toStdString(),
            today.addDays(-1).toString("dd.MM.yyyy").toStdString()};
}

// Compares the report's lines with the expected ones; prefix is "Дата: " and "Проверка
// завершена: " in the report's encoding.
void expectLines(const std::vector<std::string> &actual, const std::vector<std::string> &expected,
                 const std::string &datePrefix, const std::string &closingPrefix,
                 std::string (*encode)(const std::string &))
{
    ASSERT_EQ(actual.size(), expected.size());
    const std::regex dateTime(R"((\d{2}\.\d{2}\.\d{4})   ([01]\d|2[0-3]):[0-5]\d:[0-5]\d)");
    const std::regex finished(R"(([01]\d|2[0-3]):[0-5]\d:[0-5]\d\.)");
    const std::vector<std::string> dates = todayAsReported();
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const std::string &line = actual[i];
        if (expected[i] == dateLine) {
            std::smatch match;
            const std::string rest = line.substr(std::min(line.size(), datePrefix.size()));
            EXPECT_TRUE(line.starts_with(datePrefix) && std::regex_match(rest, match, dateTime)
                        && (match[1] == dates[0] || match[1] == dates[1]))
                    << "line " << i << ": " << line;
        } else if (expected[i] == closingLine) {
            const std::string rest = line.substr(std::min(line.size(), closingPrefix.size()));
            EXPECT_TRUE(line.starts_with(closingPrefix) && std::regex_match(rest, finished))
                    << "line " << i << ": " << line;
        } else {
            EXPECT_EQ(line, encode(expected[i])) << "line " << i;
        }
    }
}

std::string asIs(const std::string &text)
{
    return text;
}

// UTF-8 to Windows-1251 for the characters the examples use; anything else fails the test.
std::string windows1251(const std::string &utf8)
{
    const QString text = QString::fromStdString(utf8);
    std::string out;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            out += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            out += char(0xA8);
        else if (u == 0x0451)
            out += char(0xB8);
        else if (u == 0x2116)
            out += char(0xB9);
        else if (u == 0x00AB)
            out += char(0xAB);
        else if (u == 0x00BB)
            out += char(0xBB);
        else if (u == 0x2013)
            out += char(0x96);
        else if (u == 0x2014)
            out += char(0x97);
        else
            ADD_FAILURE() << "no Windows-1251 byte in this test for U+" << std::hex << int(u);
    }
    return out;
}

void expectTerminalReport(const std::string &text, const std::vector<std::string> &expected)
{
    EXPECT_EQ(text.find('\r'), std::string::npos) << "a CR reached the terminal";
    expectLines(split(text, "\n"), expected, "Дата: ", "Проверка завершена: ", asIs);
}

std::string readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot read " + path.toStdString() + ">";
    return file.readAll().toStdString();
}

TEST(ZortCheck, PrintsTheReportOfTheExamplesInTheirOrder)
{
    const Outcome run = zortCheck({clean, errors, templ, unknown});
    EXPECT_EQ(run.status, 1) << "a check failed and a form was not recognised";
    EXPECT_EQ(run.err, "");
    expectTerminalReport(run.out, report({cleanBlock, errorsBlock, templateBlock, unknownBlock}));
}

TEST(ZortCheck, WritesTheReportFileInWindows1251WithCrLf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString reportFile = dir.filePath("Отчёт.txt");
    QFile stale(reportFile);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("an earlier run's text, to be replaced\r\n");
    stale.close();

    const Outcome run = zortCheck({"--report", reportFile, errors, unknown});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "") << "the report goes to the file only";
    EXPECT_EQ(run.err, "");
    const std::string bytes = readAll(reportFile);
    EXPECT_EQ(bytes.find("earlier"), std::string::npos) << "the file starts afresh";
    const std::vector<std::string> lines = split(bytes, "\r\n");
    for (const std::string &line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a lone CR or LF: " << line;
    expectLines(lines, report({errorsBlock, unknownBlock}), windows1251("Дата: "),
                windows1251("Проверка завершена: "), windows1251);
}

TEST(ZortCheck, FolderStandsForItsWorkbooksInNameOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir folder(dir.path());
    ASSERT_TRUE(folder.mkdir("sub"));
    for (const char *name : {"b.XLS", "a.xlt", "C.xls", "sub/d.xls", "notes.txt", "e.xlsx"})
        ASSERT_TRUE(QFile::copy(clean, folder.filePath(name))) << name;

    const Outcome run = zortCheck({folder.path()});
    EXPECT_EQ(run.status, 0) << "every form recognised, no check failed";
    EXPECT_EQ(run.err, "");
    std::vector<std::string> files;
    for (const std::string &line : split(run.out, "\n")) {
        if (line.starts_with("Файл: "))
            files.push_back(line);
    }
    const std::string base = "Файл: " + QDir::cleanPath(folder.absolutePath()).toStdString();
    EXPECT_EQ(files,
              (std::vector<std::string> {base + "/a.xlt", base + "/b.XLS", base + "/C.xls"}));
}

TEST(ZortCheck, JsonListsEachEntryWithItsFailedChecks)
{
    const QString missing = QDir::cleanPath(QDir::current().absoluteFilePath("no-such-form.xls"));
    const Outcome run = zortCheck({"--json", errors, unknown, "no-such-form.xls", templ});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    const nlohmann::json expected = nlohmann::json::parse(R"json({"entries": [
        {"path": ")json" + errors.toStdString() + R"json(", "code": "0606026", "recognised": true,
         "captions": ["Форма № 26-РС «Сведения о работах по договорам подряда»",
                      "Наименование организации: АО «Вологдастрой»"],
         "failedChecks": [
            {"ID_Form": "1", "ID_Section": "1", "ID_Rule": "1", "ID_Check": "2",
             "Name": "Раздел 1, графа 4: строка 01 должна быть равна сумме строк 02–04"},
            {"ID_Form": "1", "ID_Section": "1", "ID_Rule": "2", "ID_Check": "1",
             "Name": "Раздел 1, графа 3: строка 05 не может быть больше строки 01"},
            {"ID_Form": "1", "ID_Section": "1", "ID_Rule": "10", "ID_Check": "1",
             "Name": "Раздел 1: значения показателей не могут быть отрицательными"},
            {"ID_Form": "1", "ID_Section": "2", "ID_Rule": "1", "ID_Check": "1",
             "Name": "Раздел 2: численность женщин (строка 07) не может быть больше среднесписочной численности (строка 06)"}]},
        {"path": ")json" + unknown.toStdString() + R"json(", "code": "0", "recognised": false,
         "captions": [], "failedChecks": []},
        {"path": ")json" + missing.toStdString() + R"json(", "code": "0", "recognised": false,
         "captions": [], "failedChecks": []},
        {"path": ")json" + templ.toStdString() + R"json(", "code": "0606021", "recognised": true,
         "captions": ["Форма № 21-РС «Сведения о ремонтно-строительных работах»",
                      "Наименование организации: "],
         "failedChecks": []}]})json");
    nlohmann::json actual;
    ASSERT_NO_THROW(actual = nlohmann::json::parse(run.out)) << run.out;
    EXPECT_EQ(actual, expected) << actual.dump(2);
}

// A run that ends in an error keeps what it wrote, says why on standard error, and checks
// nothing after it.
TEST(ZortCheck, RunEndedByAnErrorKeepsTheBlocksBeforeIt)
{
    const QString noChecks = fixtures + "lo-no-checks.xls";
    const Outcome run = zortCheck({clean, noChecks, errors});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "The workbook \"" + noChecks.toStdString() + "\" has no table \"T_Check\"\n");
    const std::vector<std::string> partial {"Файл: " + noChecks.toStdString(), dateLine,
                                            "Форма № 20-РС",
                                            "Наименование организации: ООО «Ромашка»"};
    std::vector<std::string> expected = cleanBlock;
    expected.insert(expected.end(), partial.begin(), partial.end());
    expectTerminalReport(run.out, expected);
}

struct StatusCase
{
    const char *what;
    QStringList arguments;
    int status;
    std::string err; // standard error, exactly

    friend void PrintTo(const StatusCase &c, std::ostream *os) { *os << c.what; }
};

class ZortCheckStatus : public testing::TestWithParam<StatusCase>
{
};

TEST_P(ZortCheckStatus, ExitsWith)
{
    const StatusCase &c = GetParam();
    const Outcome run = zortCheck(c.arguments);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err, c.err);
}

const char *const usage = "\nTry \"zort-check --help\".\n";

INSTANTIATE_TEST_SUITE_P(
        Cases, ZortCheckStatus,
        testing::Values(
                StatusCase {"clean", {clean, templ}, 0, ""},
                StatusCase {"failedChecks", {clean, errors}, 1, ""},
                StatusCase {"notRecognised", {clean, unknown}, 1, ""},
                StatusCase {"missingFile", {examples + "no-such-form.xls"}, 1, ""},
                StatusCase {"reportFolderMissing",
                            {"--report", examples + "no-such-folder/Errors.txt", clean},
                            2,
                            "Invalid filename.\n"},
                StatusCase {"noPath",
                            {},
                            64,
                            std::string("zort-check: No workbook or folder given.") + usage},
                StatusCase {"emptyPath",
                            {clean, ""},
                            64,
                            std::string("zort-check: An empty path was given.") + usage},
                StatusCase {"unknownOption",
                            {"--frobnicate", clean},
                            64,
                            std::string("zort-check: Unknown option 'frobnicate'.") + usage},
                StatusCase {"reportWithoutFile",
                            {clean, "--report"},
                            64,
                            std::string("zort-check: Missing value after '--report'.") + usage}),
        [](const testing::TestParamInfo<StatusCase> &info) { return info.param.what; });

TEST(ZortCheck, EmptyFolderLeavesNothingToCheck)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString reportFile = dir.filePath("Errors.txt");
    const Outcome run = zortCheck({"--report", reportFile, dir.path()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Выберите документ для проверки.\n");
    EXPECT_FALSE(QFile::exists(reportFile)) << "nothing was checked, so nothing is written";
}

TEST(ZortCheck, ReportNeverOverwritesAWorkbookItChecks)
{
    const QByteArray before = QByteArray::fromStdString(readAll(clean));
    const Outcome run =
            zortCheck({"--report", examples + "../examples/form-0606024-clean.xls", clean});
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find("is one of the workbooks to check"), std::string::npos) << run.err;
    EXPECT_EQ(QByteArray::fromStdString(readAll(clean)), before);
}

TEST(ZortCheck, HelpSaysWhereTheWindowsReportGoes)
{
    const Outcome run = zortCheck({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Errors.txt"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("user's data folder"), std::string::npos) << run.out;
    const Outcome version = zortCheck({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("zort-check ")) << version.out;
}

} // namespace
