// The whole road through the window: files chosen, ticked, "Проверка по ЗОРТ" pressed, the real
// data source reading the example workbooks, the report written and handed to the shell.

#include "CheckListBox.h"
#include "DocumentList.h"
#include "SqliteWorkbookSource.h"
#include "UiFakes.h"
#include "un_Main.h"

#include <QFile>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zort;
using namespace zort::test;

namespace {

QString example(const char *name)
{
    return QStringLiteral(ZORT_SOURCE_DIR "/examples/") + QLatin1String(name);
}

} // namespace

class CheckThroughWindowTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeServices m_fakes;
    std::unique_ptr<TfrmMain> m_window;

    QString reportPath() const { return m_dir.filePath(QStringLiteral("Errors.txt")); }

    QStringList reportLines()
    {
        QFile file(reportPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringDecoder cp1251("windows-1251");
        const QString text = cp1251(file.readAll());
        if (cp1251.hasError())
            return {QStringLiteral("<not Windows-1251>")};
        return text.split(QStringLiteral("\r\n"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QStringDecoder("windows-1251").isValid());
        MainWindowServices services = m_fakes.make(reportPath(), m_dir.path());
        // The real data source in place of the fake one.
        services.checker = std::make_unique<FormChecker>(std::make_unique<SqliteWorkbookSource>(),
                                                         reportPath());
        m_window = std::make_unique<TfrmMain>(std::move(services));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanupTestCase() { m_window.reset(); }

    void tickedExamplesGetOneBlockEach()
    {
        m_fakes.chooser->results.push_back(
                {example("form-0606026-errors.xls"), example("form-0606024-clean.xls"),
                 example("unknown-0710001.xls"), example("template-0606021.xlt")});
        QTest::mouseClick(m_window->btnChoiceFile, Qt::LeftButton);
        m_window->documents().setAllTicked(true);
        m_window->documents().setTicked(3, false);

        QTest::mouseClick(m_window->btnVerificationData, Qt::LeftButton);

        QVERIFY2(m_fakes.prompter->calls.isEmpty(),
                 qPrintable(m_fakes.prompter->calls.value(0).text));
        QCOMPARE(m_fakes.shell->calls.size(), 1);
        QCOMPARE(m_fakes.shell->calls[0].path, reportPath());

        const QStringList lines = reportLines();
        QStringList files;
        for (const QString &line : lines) {
            if (line.startsWith(QStringLiteral("Файл: ")))
                files.append(line.mid(6));
        }
        // Ticked entries only, in list order; the clear template is not checked.
        QCOMPARE(files,
                 (QStringList {example("form-0606026-errors.xls"),
                               example("form-0606024-clean.xls"), example("unknown-0710001.xls")}));
        QCOMPARE(lines.count(QStringLiteral("Ошибки в документе не найдены.")), 1);
        QCOMPARE(
                lines.count(QStringLiteral("***      Ошибка №1: Неизвестный документ!!!      ***")),
                1);
        QCOMPARE(lines.count(QString(66, QLatin1Char('*'))), 2);
        // The form with errors: its block has more lines than the clean one's six.
        const qsizetype second = lines.indexOf(QStringLiteral("Файл: ") + files[1]);
        QVERIFY2(second > 8, qPrintable(QString::number(second)));
    }

    void secondRunStartsTheReportAfresh()
    {
        const QStringList before = reportLines();
        m_window->documents().setAllTicked(false);
        m_window->documents().setTicked(1, true);
        m_fakes.shell->calls.clear();

        m_window->btnVerificationDataClick();

        const QStringList after = reportLines();
        QCOMPARE(after.count(QStringLiteral("Ошибки в документе не найдены.")), 1);
        QCOMPARE(after.first(), QStringLiteral("Файл: ") + example("form-0606024-clean.xls"));
        QVERIFY(after.size() < before.size());
        QCOMPARE(m_fakes.shell->calls.size(), 1);
    }
};

QTEST_MAIN(CheckThroughWindowTest)
#include "CheckThroughWindowTest.moc"
