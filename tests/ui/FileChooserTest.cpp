// The real file-open dialog, driven by a timer: its filters, several files, typed names of files
// that do not exist, no cap on the selection, and what it keeps for the next use.

#include "OpenFileDialog.h"
#include "QtFileChooser.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace zort;

namespace {

struct SeenDialog
{
    bool found = false;
    QStringList nameFilters;
    QStringList filterChoices; // as the combo box shows them
    QString selectedFilter;
    QString fileNameText;
    QString directory;
    QString title;
    bool nativeDialog = true;
    bool stillOpenAfterAnswer = false;
};

void whenDialogShows(SeenDialog &seen, std::function<void(QFileDialog *)> answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            whenDialogShows(seen, answer);
            return;
        }
        seen.found = true;
        seen.nameFilters = dialog->nameFilters();
        if (auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < combo->count(); ++i)
                seen.filterChoices.append(combo->itemText(i));
        }
        seen.selectedFilter = dialog->selectedNameFilter();
        if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            seen.fileNameText = edit->text();
        seen.directory = dialog->directory().absolutePath();
        seen.title = dialog->windowTitle();
        seen.nativeDialog = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        answer(dialog);
        if (dialog->isVisible()) {
            // The answer did not end the dialog (a disabled button, a refused name).
            seen.stillOpenAfterAnswer = true;
            dialog->reject();
        }
    });
}

// Types names into the file-name box and presses "Open".
std::function<void(QFileDialog *)> typeAndOpen(const QString &text, int filter = -1)
{
    return [text, filter](QFileDialog *dialog) {
        if (filter >= 0)
            dialog->selectNameFilter(dialog->nameFilters().at(filter));
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        // Typed as a user types: into the box that has the focus.
        dialog->activateWindow();
        edit->setFocus();
        QVERIFY(QTest::qWaitFor([edit] { return edit->hasFocus(); }));
        edit->setText(text);
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QPushButton *open = buttons->button(QDialogButtonBox::Open);
        QVERIFY(open);
        open->click();
    };
}

QString quoted(const QStringList &names)
{
    QStringList parts;
    for (const QString &name : names)
        parts.append(QLatin1Char('"') + name + QLatin1Char('"'));
    return parts.join(QLatin1Char(' '));
}

} // namespace

class FileChooserTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_startFolder;

    QString inDir(const QString &name) const
    {
        return QDir::toNativeSeparators(m_dir.filePath(name));
    }
    void touch(const QString &name)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        touch(QStringLiteral("a.xls"));
        touch(QStringLiteral("b.xls"));
        touch(QStringLiteral("t.xlt"));
        QDir(m_dir.path()).mkdir(QStringLiteral("sub"));
        m_startFolder = QDir::currentPath();
        // The dialog has no initial folder of its own: it opens where the program runs.
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void cleanupTestCase() { QDir::setCurrent(m_startFolder); }

    void firstUseShowsBothFiltersFormsFirst()
    {
        SeenDialog seen;
        whenDialogShows(seen, [](QFileDialog *dialog) { dialog->reject(); });
        QtFileChooser chooser;
        QVERIFY(chooser.choose().isEmpty());
        QVERIFY(seen.found);
        QCOMPARE(seen.nameFilters,
                 (QStringList {"Файл MS Excel (*.xls)", "Шаблон MS Excel (*.xlt)"}));
        QCOMPARE(seen.filterChoices, (QStringList {"Файл MS Excel", "Шаблон MS Excel"}));
        // The dialog names its choices without their patterns.
        QCOMPARE(seen.selectedFilter, QStringLiteral("Файл MS Excel"));
        QVERIFY(seen.fileNameText.isEmpty());
        QCOMPARE(QDir(seen.directory).canonicalPath(), QDir(m_dir.path()).canonicalPath());
        QVERIFY(!seen.nativeDialog);
        QCOMPARE(seen.title, QCoreApplication::translate("QFileDialog", "Open"));
        // A cancel keeps nothing.
        QVERIFY(chooser.lastFileName().isEmpty());
    }

    void typedNamesComeBack_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one existing") << "a.xls" << QStringList {inDir("a.xls")};
        QTest::newRow("several existing")
                << quoted({"b.xls", "a.xls"}) << QStringList {inDir("b.xls"), inDir("a.xls")};
        QTest::newRow("missing file") << "nosuch.xls" << QStringList {inDir("nosuch.xls")};
        QTest::newRow("existing and missing")
                << quoted({"a.xls", "gone.xlt"}) << QStringList {inDir("a.xls"), inDir("gone.xlt")};
        QTest::newRow("missing folder")
                << "nofolder/f.xls" << QStringList {inDir("nofolder/f.xls")};
        QTest::newRow("full path") << m_dir.filePath("t.xlt") << QStringList {inDir("t.xlt")};
    }

    void typedNamesComeBack()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        SeenDialog seen;
        whenDialogShows(seen, typeAndOpen(typed));
        QtFileChooser chooser;
        const QStringList chosen = chooser.choose();
        QVERIFY(seen.found);
        QVERIFY(!seen.stillOpenAfterAnswer);
        QCOMPARE(chosen, expected);
        QCOMPARE(chooser.lastFileName(), expected.front());
    }

    void severalFilesPickedInTheList()
    {
        SeenDialog seen;
        whenDialogShows(seen, [](QFileDialog *dialog) {
            auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
            QVERIFY(view);
            QCOMPARE(view->selectionMode(), QAbstractItemView::ExtendedSelection);
            auto findRow = [view](const QString &name) {
                const QModelIndex root = view->rootIndex();
                for (int row = 0; row < view->model()->rowCount(root); ++row) {
                    const QModelIndex index = view->model()->index(row, 0, root);
                    if (index.data().toString() == name)
                        return index;
                }
                return QModelIndex();
            };
            QVERIFY(QTest::qWaitFor([&] { return findRow("b.xls").isValid(); }));
            view->setFocus();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(findRow("a.xls")).center());
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              view->visualRect(findRow("b.xls")).center());
            dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))
                    ->button(QDialogButtonBox::Open)
                    ->click();
        });
        QtFileChooser chooser;
        const QStringList chosen = chooser.choose();
        QVERIFY(seen.found);
        QVERIFY(!seen.stillOpenAfterAnswer);
        QCOMPARE(chosen, (QStringList {inDir("a.xls"), inDir("b.xls")}));
    }

    void typedExistingFolderIsEnteredNotReturned()
    {
        SeenDialog seen;
        bool stayedOpen = false;
        QString folderAfter;
        whenDialogShows(seen, [&](QFileDialog *dialog) {
            typeAndOpen(QStringLiteral("sub"))(dialog);
            stayedOpen = dialog->isVisible();
            folderAfter = dialog->directory().absolutePath();
        });
        QtFileChooser chooser;
        QVERIFY(chooser.choose().isEmpty());
        QVERIFY(stayedOpen);
        QCOMPARE(QDir(folderAfter).canonicalPath(),
                 QDir(m_dir.filePath(QStringLiteral("sub"))).canonicalPath());
    }

    void nextUseStartsWithLastFileAndFilter()
    {
        QtFileChooser chooser;
        SeenDialog first;
        whenDialogShows(first,
                        typeAndOpen(quoted({m_dir.filePath("t.xlt"), m_dir.filePath("a.xls")}), 1));
        QCOMPARE(chooser.choose(), (QStringList {inDir("t.xlt"), inDir("a.xls")}));
        QCOMPARE(chooser.lastFileName(), inDir("t.xlt"));
        QCOMPARE(chooser.lastFilter(), QStringLiteral("Шаблон MS Excel (*.xlt)"));

        SeenDialog second;
        whenDialogShows(second, [](QFileDialog *dialog) { dialog->reject(); });
        QVERIFY(chooser.choose().isEmpty());
        QCOMPARE(second.selectedFilter, QStringLiteral("Шаблон MS Excel"));
        QCOMPARE(second.fileNameText, QStringLiteral("t.xlt"));
        QCOMPARE(QDir(second.directory).canonicalPath(), QDir(m_dir.path()).canonicalPath());
        // The cancel changed nothing that was kept.
        QCOMPARE(chooser.lastFileName(), inDir("t.xlt"));
    }

    void noCapOnTheSelection()
    {
        // Far more than the 65,519 characters some dialogs can hand back.
        QStringList names;
        for (int i = 0; i < 2500; ++i)
            names.append(QStringLiteral("a rather long form file name number %1.xls").arg(i));
        QVERIFY(quoted(names).size() > 65519);
        SeenDialog seen;
        whenDialogShows(seen, typeAndOpen(quoted(names)));
        QtFileChooser chooser;
        const QStringList chosen = chooser.choose();
        QVERIFY(!seen.stillOpenAfterAnswer);
        // Typed names are taken in the folder the dialog shows.
        QStringList expected;
        for (const QString &name : names)
            expected.append(QDir::toNativeSeparators(QDir(seen.directory).filePath(name)));
        QCOMPARE(chosen.size(), expected.size());
        QCOMPARE(chosen, expected);
    }
};

QTEST_MAIN(FileChooserTest)
#include "FileChooserTest.moc"
