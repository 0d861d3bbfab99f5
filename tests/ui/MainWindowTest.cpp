// The window's handlers with the dialogs, message boxes and shell replaced by fakes.

#include "CheckListBox.h"
#include "DocumentList.h"
#include "UiFakes.h"
#include "un_Main.h"

#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace zort;
using namespace zort::test;

namespace {

const QString addOrReplaceCaption = QStringLiteral("Добавить/Заменить файлы");
const QString addOrReplaceText =
        QStringLiteral("Вы хотите добавить файлы к уже выбранным или произвести замену?\n\r"
                       "Для замены нажмите кнопку Нет");
const QString chooseDocument = QStringLiteral("Выберите документ для проверки.");

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeServices m_fakes;
    std::unique_ptr<TfrmMain> m_window;

    QString reportPath() const { return m_dir->filePath(QStringLiteral("Errors.txt")); }
    DocumentList &list() { return m_window->documents(); }

    void makeWindow(const QString &report)
    {
        m_window = std::make_unique<TfrmMain>(m_fakes.make(report, m_dir->path()));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    // The first use of "Выбор файлов" asks nothing.
    void fill(const QStringList &paths)
    {
        m_fakes.chooser->results.push_back(paths);
        m_window->btnChoiceFileClick();
        m_fakes.prompter->calls.clear();
    }
    QList<bool> ticks()
    {
        QList<bool> result;
        for (int row = 0; row < list().rowCount(); ++row)
            result.append(list().isTicked(row));
        return result;
    }
    void setTicks(const QList<bool> &wanted)
    {
        for (int row = 0; row < wanted.size(); ++row)
            list().setTicked(row, wanted[row]);
    }
    void highlight(const QList<int> &rows, int focusRow)
    {
        QItemSelectionModel *selection = m_window->CheckListBox1->selectionModel();
        selection->clearSelection();
        for (int row : rows)
            selection->select(list().index(row), QItemSelectionModel::Select);
        selection->setCurrentIndex(list().index(focusRow), QItemSelectionModel::NoUpdate);
    }
    QList<int> highlighted()
    {
        QList<int> rows;
        for (const QModelIndex &index :
             m_window->CheckListBox1->selectionModel()->selectedIndexes())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    QRect entryRect(int row) { return m_window->CheckListBox1->visualRect(list().index(row)); }
    QPoint tickBoxPoint(int row)
    {
        const QRect rect = entryRect(row);
        return QPoint(rect.left() + m_window->CheckListBox1->textOffset() / 2, rect.center().y());
    }
    // A double-click as the desktop delivers it: press, release, press, release.
    void doubleClickAt(const QPoint &inViewport)
    {
        QWidget *viewport = m_window->CheckListBox1->viewport();
        QTest::mouseDClick(m_window->windowHandle(), Qt::LeftButton, {},
                           viewport->mapTo(m_window.get(), inViewport));
    }
    QPoint textPoint(int row)
    {
        const QRect rect = entryRect(row);
        return QPoint(rect.left() + m_window->CheckListBox1->textOffset() + 20, rect.center().y());
    }

private slots:
    void initTestCase() { QGuiApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_fakes = FakeServices();
        makeWindow(reportPath());
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
    }

    // --- closing ---------------------------------------------------------------------------

    void everyCloseAsks_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("connectionOpen");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("connectionCloses");

        QTest::newRow("quit button, yes") << "button" << true << false << true << 0;
        QTest::newRow("quit button, no") << "button" << false << false << false << 0;
        QTest::newRow("title-bar close, yes") << "window" << true << false << true << 0;
        QTest::newRow("title-bar close, no") << "window" << false << false << false << 0;
        QTest::newRow("yes with a connection left open") << "button" << true << true << true << 1;
        QTest::newRow("no with a connection left open") << "window" << false << true << false << 0;
    }

    void everyCloseAsks()
    {
        QFETCH(QString, how);
        QFETCH(bool, answer);
        QFETCH(bool, connectionOpen);
        QFETCH(bool, closed);
        QFETCH(int, connectionCloses);

        fill({QStringLiteral("/forms/a.xls")});
        list().setTicked(0, true);
        m_fakes.source->connection.connected = connectionOpen;
        m_fakes.prompter->answers = {answer};

        if (how == QLatin1String("button"))
            QTest::mouseClick(m_window->btnQuit, Qt::LeftButton);
        else
            m_window->windowHandle()->close();

        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        const PromptCall &call = m_fakes.prompter->calls.front();
        QCOMPARE(call.kind, PromptCall::YesNo);
        QCOMPARE(call.caption, QStringLiteral("Сообщение"));
        QCOMPARE(call.text, QStringLiteral("Вы действительно хотите выйти из программы?"));
        QCOMPARE(m_window->isVisible(), !closed);
        QCOMPARE(m_fakes.source->connection.closes, connectionCloses);
        QCOMPARE(m_fakes.source->connection.connected, connectionOpen && !closed);
        // Whatever the answer, the list is as it was.
        QCOMPARE(list().paths(), QStringList {QStringLiteral("/forms/a.xls")});
        QCOMPARE(ticks(), QList<bool> {true});
    }

    void sessionEndClosesWithoutAsking()
    {
        m_fakes.source->connection.connected = true;
        m_window->endSession();
        QVERIFY(m_fakes.prompter->calls.isEmpty());
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_fakes.source->connection.connected, false);
    }

    // --- "Заполнить форму" and the manual ----------------------------------------------------

    void fillFormOpensFirstChosenFile_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("cancel") << QStringList() << QStringList();
        QTest::newRow("one") << QStringList {"/f/a.xls"} << QStringList {"/f/a.xls"};
        QTest::newRow("several") << QStringList {"/f/b.xlt", "/f/a.xls", "/f/c.xls"}
                                 << QStringList {"/f/b.xlt"};
    }

    void fillFormOpensFirstChosenFile()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, opened);
        fill({QStringLiteral("/forms/listed.xls")});
        m_fakes.chooser->results.push_back(chosen);

        QTest::mouseClick(m_window->btnFillForm, Qt::LeftButton);

        QStringList shellPaths;
        for (const ShellCall &call : m_fakes.shell->calls) {
            shellPaths.append(call.path);
            QCOMPARE(call.mode, ShowMode::Normal);
        }
        QCOMPARE(shellPaths, opened);
        QCOMPARE(list().paths(), QStringList {QStringLiteral("/forms/listed.xls")});
        QVERIFY(m_fakes.prompter->calls.isEmpty());
    }

    void helpOpensManualBesideProgram()
    {
        QTest::mouseClick(m_window->btnHelp, Qt::LeftButton);
        QCOMPARE(m_fakes.shell->calls.size(), 1);
        QCOMPARE(m_fakes.shell->calls[0].path,
                 m_dir->filePath(QStringLiteral("Руководство пользователя.doc")));
        QCOMPARE(m_fakes.shell->calls[0].mode, ShowMode::Restore);
        // A missing manual is the shell's business: the program says nothing.
        QVERIFY(m_fakes.prompter->calls.isEmpty());
    }

    // --- "Выбор файлов" -------------------------------------------------------------------

    void firstChoiceAsksNothing()
    {
        m_fakes.chooser->results.push_back({"/f/b.xls", "/f/a.xlt"});
        QTest::mouseClick(m_window->btnChoiceFile, Qt::LeftButton);
        QVERIFY(m_fakes.prompter->calls.isEmpty());
        QCOMPARE(list().paths(), (QStringList {"/f/b.xls", "/f/a.xlt"}));
        QCOMPARE(ticks(), (QList<bool> {false, false}));
        QVERIFY(list().ListFilled());
    }

    void answerYesAddsAfterOldEntries()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        list().setTicked(0, true);
        m_fakes.prompter->answers = {true};
        m_fakes.chooser->results.push_back({"/f/b.xls", "/f/c.xls"});

        m_window->btnChoiceFileClick();

        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        QCOMPARE(m_fakes.prompter->calls[0].kind, PromptCall::YesNo);
        QCOMPARE(m_fakes.prompter->calls[0].caption, addOrReplaceCaption);
        QCOMPARE(m_fakes.prompter->calls[0].text, addOrReplaceText);
        QCOMPARE(list().paths(), (QStringList {"/f/a.xls", "/f/b.xls", "/f/b.xls", "/f/c.xls"}));
        QCOMPARE(ticks(), (QList<bool> {true, false, false, false}));
    }

    void answerNoReplaces()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        m_fakes.prompter->answers = {false};
        m_fakes.chooser->results.push_back({"/f/c.xls"});
        int entriesWhileDialogShows = -1;
        m_fakes.chooser->onChoose = [&] { entriesWhileDialogShows = list().rowCount(); };
        m_window->btnChoiceFileClick();
        // The old entries are gone before the dialog even shows.
        QCOMPARE(entriesWhileDialogShows, 0);
        QCOMPARE(list().paths(), QStringList {"/f/c.xls"});
        QVERIFY(list().ListFilled());
    }

    void answerNoThenCancelLeavesEmptyListAndNoNextQuestion()
    {
        fill({"/f/a.xls"});
        m_fakes.prompter->answers = {false};
        m_window->btnChoiceFileClick(); // the dialog is cancelled
        QCOMPARE(list().rowCount(), 0);
        QVERIFY(!list().ListFilled());
        QCOMPARE(m_fakes.chooser->uses, 2);

        m_fakes.prompter->calls.clear();
        m_fakes.chooser->results.push_back({"/f/z.xls"});
        m_window->btnChoiceFileClick();
        QVERIFY(m_fakes.prompter->calls.isEmpty());
        QCOMPARE(list().paths(), QStringList {"/f/z.xls"});
    }

    void answerYesThenCancelChangesNothing()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        setTicks({false, true});
        m_fakes.prompter->answers = {true};
        m_window->btnChoiceFileClick(); // cancelled
        QCOMPARE(list().paths(), (QStringList {"/f/a.xls", "/f/b.xls"}));
        QCOMPARE(ticks(), (QList<bool> {false, true}));
        QVERIFY(list().ListFilled());

        m_fakes.prompter->answers = {true};
        m_window->btnChoiceFileClick();
        QCOMPARE(m_fakes.prompter->calls.size(), 2); // asked again
    }

    void scrollExtentIsWidestEntryPlusTwo()
    {
        const QString longPath = QStringLiteral("/a/very/long/folder/name/that/goes/on/and/on/"
                                                "and/on/beyond/the/width/of/the/list/form.xls");
        fill({"/f/a.xls", longPath, "/f/b.xls"});
        const QFontMetrics metrics(m_window->CheckListBox1->font());
        QCOMPARE(m_window->CheckListBox1->horizontalExtent(),
                 metrics.horizontalAdvance(longPath) + 2);
        // The list can scroll sideways far enough to show the end of the longest entry.
        QScrollBar *bar = m_window->CheckListBox1->horizontalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QVERIFY(bar->maximum() + m_window->CheckListBox1->viewport()->width()
                >= metrics.horizontalAdvance(longPath) + 2);

        // Removing entries leaves the extent as it was.
        highlight({1}, 1);
        m_fakes.prompter->answers = {true};
        m_window->btnCleanListClick();
        QCOMPARE(list().paths(), (QStringList {"/f/a.xls", "/f/b.xls"}));
        QCOMPARE(m_window->CheckListBox1->horizontalExtent(),
                 metrics.horizontalAdvance(longPath) + 2);
    }

    // --- the tick buttons -----------------------------------------------------------------

    void tickButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<bool>>("before");
        QTest::addColumn<QList<bool>>("after");
        using B = QList<bool>;
        QTest::newRow("check all")
                << "btnCheckAll" << B {true, false, false} << B {true, true, true};
        QTest::newRow("uncheck all")
                << "btnUncheckAll" << B {true, false, true} << B {false, false, false};
        QTest::newRow("invert") << "btnInvertCheck" << B {true, false, false}
                                << B {false, true, true};
        QTest::newRow("check all, empty list") << "btnCheckAll" << B {} << B {};
        QTest::newRow("invert, empty list") << "btnInvertCheck" << B {} << B {};
    }

    void tickButtons()
    {
        QFETCH(QString, button);
        QFETCH(QList<bool>, before);
        QFETCH(QList<bool>, after);
        QStringList paths;
        for (int i = 0; i < before.size(); ++i)
            paths.append(QStringLiteral("/f/%1.xls").arg(i));
        if (!paths.isEmpty()) {
            fill(paths);
            setTicks(before);
            highlight({0}, 0);
        }
        QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
        QCOMPARE(ticks(), after);
        QVERIFY(m_fakes.prompter->calls.isEmpty());
        if (!paths.isEmpty())
            QCOMPARE(highlighted(), QList<int> {0});
    }

    // --- removing entries -----------------------------------------------------------------

    void removeWithNothingHighlightedSaysSo()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        m_window->CheckListBox1->selectionModel()->clearSelection();
        QTest::mouseClick(m_window->btnCleanList, Qt::LeftButton);
        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        QCOMPARE(m_fakes.prompter->calls[0].kind, PromptCall::Tell);
        QCOMPARE(m_fakes.prompter->calls[0].caption, QStringLiteral("Файлы не выбраны"));
        QCOMPARE(m_fakes.prompter->calls[0].text, QStringLiteral("Файлы для удаления не выбраны."));
        QCOMPARE(list().rowCount(), 2);
    }

    void removeOnEmptyListSaysNothingHighlighted()
    {
        m_window->btnCleanListClick();
        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        QCOMPARE(m_fakes.prompter->calls[0].kind, PromptCall::Tell);
        QVERIFY(!list().ListFilled());
    }

    void confirmedRemovalTakesHighlightedEntriesTickedOrNot()
    {
        fill({"/f/a.xls", "/f/b.xls", "/f/c.xls", "/f/d.xls"});
        setTicks({false, true, false, true});
        highlight({1, 2}, 2);
        m_fakes.prompter->answers = {true};

        QTest::mouseClick(m_window->btnCleanList, Qt::LeftButton);

        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        QCOMPARE(m_fakes.prompter->calls[0].kind, PromptCall::YesNo);
        QCOMPARE(m_fakes.prompter->calls[0].caption, QStringLiteral("Удалить файлы из списка"));
        QCOMPARE(m_fakes.prompter->calls[0].text,
                 QStringLiteral(
                         "Удалить выделенные файлы из списка?\n\rДля удаления нажмите кнопку Да"));
        QCOMPARE(list().paths(), (QStringList {"/f/a.xls", "/f/d.xls"}));
        QCOMPARE(ticks(), (QList<bool> {false, true}));
        QVERIFY(list().ListFilled());
    }

    void declinedRemovalKeepsEverything()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        setTicks({true, false});
        highlight({0, 1}, 0);
        m_fakes.prompter->answers = {false};
        m_window->btnCleanListClick();
        QCOMPARE(list().paths(), (QStringList {"/f/a.xls", "/f/b.xls"}));
        QCOMPARE(ticks(), (QList<bool> {true, false}));
    }

    void removingEverythingMakesNextChoiceAskNothing()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        highlight({0, 1}, 1);
        m_fakes.prompter->answers = {true};
        m_window->btnCleanListClick();
        QCOMPARE(list().rowCount(), 0);
        QVERIFY(!list().ListFilled());

        m_fakes.prompter->calls.clear();
        m_fakes.chooser->results.push_back({"/f/c.xls"});
        m_window->btnChoiceFileClick();
        QVERIFY(m_fakes.prompter->calls.isEmpty());
        QCOMPARE(list().paths(), QStringList {"/f/c.xls"});
    }

    // --- the list with mouse and keyboard ---------------------------------------------------

    void clickOnTextHighlightsOnly()
    {
        fill({"/f/a.xls", "/f/b.xls", "/f/c.xls"});
        QWidget *viewport = m_window->CheckListBox1->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, textPoint(0));
        QCOMPARE(ticks(), (QList<bool> {false, false, false}));
        QCOMPARE(highlighted(), QList<int> {0});

        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, textPoint(2));
        QCOMPARE(highlighted(), (QList<int> {0, 1, 2}));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, textPoint(1));
        QCOMPARE(highlighted(), (QList<int> {0, 2}));
        QCOMPARE(ticks(), (QList<bool> {false, false, false}));
    }

    void tickBoxAndSpaceChangeTicks()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        QWidget *viewport = m_window->CheckListBox1->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, tickBoxPoint(1));
        QCOMPARE(ticks(), (QList<bool> {false, true}));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, tickBoxPoint(1));
        QCOMPARE(ticks(), (QList<bool> {false, false}));

        m_window->CheckListBox1->setFocus();
        m_window->CheckListBox1->setCurrentIndex(list().index(0));
        QTest::keyClick(m_window->CheckListBox1, Qt::Key_Space);
        QCOMPARE(ticks(), (QList<bool> {true, false}));
    }

    void doubleClickOpensEntryWithFocusOnly()
    {
        fill({"/f/a.xls", "/f/b.xls", "/f/c.xls"});
        setTicks({false, true, false});
        highlight({0, 2}, 2);
        m_window->CheckListBox1DblClick();
        QCOMPARE(m_fakes.shell->calls.size(), 1);
        QCOMPARE(m_fakes.shell->calls[0].path, QStringLiteral("/f/c.xls"));
        QCOMPARE(m_fakes.shell->calls[0].mode, ShowMode::Normal);
        QCOMPARE(ticks(), (QList<bool> {false, true, false}));
        QCOMPARE(highlighted(), (QList<int> {0, 2}));
    }

    void doubleClickOnEntryTextOpensIt()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        doubleClickAt(textPoint(1));
        QCOMPARE(m_fakes.shell->calls.size(), 1);
        QCOMPARE(m_fakes.shell->calls[0].path, QStringLiteral("/f/b.xls"));
        QCOMPARE(ticks(), (QList<bool> {false, false}));
    }

    void doubleClickOnTickBoxActsAsTwoClicksAndOpens()
    {
        fill({"/f/a.xls", "/f/b.xls"});
        doubleClickAt(tickBoxPoint(0));
        // Each of the two clicks changes the tick: it ends as it began.
        QCOMPARE(ticks(), (QList<bool> {false, false}));
        QCOMPARE(m_fakes.shell->calls.size(), 1);
        QCOMPARE(m_fakes.shell->calls[0].path, QStringLiteral("/f/a.xls"));
    }

    void doubleClickOnEmptyListDoesNothing()
    {
        doubleClickAt(QPoint(50, 50));
        m_window->CheckListBox1DblClick();
        QVERIFY(m_fakes.shell->calls.isEmpty());
        QVERIFY(m_fakes.prompter->calls.isEmpty());
    }

    void droppedFilesAreAppended()
    {
        fill({"/f/a.xls"});
        const QString dropped = m_dir->filePath(QStringLiteral("dropped form.xls"));
        QFile file(dropped);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(dropped),
                      QUrl(QStringLiteral("https://example.org/x.xls")),
                      QUrl::fromLocalFile(m_dir->path())});
        QWidget *viewport = m_window->CheckListBox1->viewport();
        QVERIFY(viewport->acceptDrops());
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &drop);

        QCOMPARE(list().paths(), (QStringList {"/f/a.xls", dropped}));
        QCOMPARE(ticks(), (QList<bool> {false, false}));
        QVERIFY(m_fakes.prompter->calls.isEmpty());
        const QFontMetrics metrics(m_window->CheckListBox1->font());
        QCOMPARE(m_window->CheckListBox1->horizontalExtent(),
                 metrics.horizontalAdvance(dropped) + 2);
    }

    // --- "Проверка по ЗОРТ" ---------------------------------------------------------------

    void checkingWithNothingToCheckSaysChoose_data()
    {
        QTest::addColumn<int>("entries");
        QTest::newRow("empty list") << 0;
        QTest::newRow("nothing ticked") << 3;
    }

    void checkingWithNothingToCheckSaysChoose()
    {
        QFETCH(int, entries);
        QStringList paths;
        for (int i = 0; i < entries; ++i)
            paths.append(QStringLiteral("/f/%1.xls").arg(i));
        if (entries)
            fill(paths);
        QFile old(reportPath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous run\r\n");
        old.close();

        QTest::mouseClick(m_window->btnVerificationData, Qt::LeftButton);

        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        QCOMPARE(m_fakes.prompter->calls[0].kind, PromptCall::Message);
        QCOMPARE(m_fakes.prompter->calls[0].text, chooseDocument);
        QVERIFY(m_fakes.shell->calls.isEmpty());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("previous run\r\n"));
    }

    void checkingWritesReportAndOpensIt()
    {
        fill({"/f/first.xls", "/nowhere/second.xls", "/f/third.xls"});
        setTicks({false, true, false});

        QTest::mouseClick(m_window->btnVerificationData, Qt::LeftButton);

        QVERIFY(m_fakes.prompter->calls.isEmpty());
        QCOMPARE(m_fakes.shell->calls.size(), 1);
        QCOMPARE(m_fakes.shell->calls[0].path, reportPath());
        QCOMPARE(m_fakes.shell->calls[0].mode, ShowMode::Normal);
        QFile report(reportPath());
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QByteArray text = report.readAll();
        QVERIFY(text.startsWith("\xD4\xE0\xE9\xEB: /nowhere/second.xls\r\n")); // "Файл: " in 1251
        QCOMPARE(text.count("\xD4\xE0\xE9\xEB: "), 1);
        QVERIFY(text.contains(QByteArray(66, '*')));
    }

    void reportWriteFailureShowsErrorAndOpensNothing()
    {
        m_window.reset();
        m_fakes = FakeServices();
        makeWindow(m_dir->filePath(QStringLiteral("missing folder/Errors.txt")));
        fill({"/f/a.xls", "/f/b.xls"});
        setTicks({true, true});

        m_window->btnVerificationDataClick();

        QCOMPARE(m_fakes.prompter->calls.size(), 1);
        QCOMPARE(m_fakes.prompter->calls[0].kind, PromptCall::Error);
        QCOMPARE(m_fakes.prompter->calls[0].text, QStringLiteral("Invalid filename"));
        QVERIFY(m_fakes.shell->calls.isEmpty());
        // The window goes on: the list is still there and the next use works.
        QCOMPARE(list().rowCount(), 2);
        QVERIFY(m_window->isVisible());
    }

    // --- the guard around every handler -----------------------------------------------------

    void handlerErrorsReachErrorDisplay_data()
    {
        QTest::addColumn<bool>("standardError");
        QTest::addColumn<QString>("shown");
        QTest::newRow("std::exception") << true << QStringLiteral("Диалог не открылся (код 7)");
        QTest::newRow("anything else") << false << QStringLiteral("Неизвестная ошибка");
    }

    void handlerErrorsReachErrorDisplay()
    {
        QFETCH(bool, standardError);
        QFETCH(QString, shown);
        m_fakes.chooser->onChoose = [standardError] {
            if (standardError)
                throw std::runtime_error("Диалог не открылся (код 7)");
            throw 42;
        };
        QTest::mouseClick(m_window->btnFillForm, Qt::LeftButton);
        QTest::mouseClick(m_window->btnChoiceFile, Qt::LeftButton);

        QCOMPARE(m_fakes.prompter->calls.size(), 2);
        for (const PromptCall &call : m_fakes.prompter->calls) {
            QCOMPARE(call.kind, PromptCall::Error);
            QCOMPARE(call.text, shown);
        }
        QVERIFY(m_fakes.shell->calls.isEmpty());
        QCOMPARE(list().rowCount(), 0);
    }

    // --- regional settings ------------------------------------------------------------------

    void regionalSettingsReadAtStartAndOnLocaleChange()
    {
        QCOMPARE(m_fakes.regionalReads, 1);
        RegionalSettings changed;
        changed.shortDateFormat = QStringLiteral("yyyy-MM-dd");
        changed.clock24 = false;
        m_fakes.nextSettings = changed;

        QEvent localeChange(QEvent::LocaleChange);
        QApplication::sendEvent(m_window.get(), &localeChange);

        QCOMPARE(m_fakes.regionalReads, 2);
        QCOMPARE(m_window->checker().regionalSettings(), changed);
        QCOMPARE(m_fakes.source->settings, changed);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
