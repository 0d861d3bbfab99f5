// The window as the user sees it: size, frame, every control's place, texts, images and the
// order the Tab key walks them in.

#include "CheckListBox.h"
#include "DocumentList.h"
#include "Images.h"
#include "UiFakes.h"
#include "un_Main.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zort;
using namespace zort::test;

namespace {

// Counts pixels of an image that are opaque and close to a colour family.
struct Colours
{
    int transparent = 0, orange = 0, blue = 0;
};

Colours countColours(const QImage &image)
{
    Colours found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 16) {
                ++found.transparent;
                continue;
            }
            if (c.red() > 200 && c.green() > 100 && c.green() < 190 && c.blue() < 80)
                ++found.orange;
            if (c.blue() > 150 && c.red() < 80)
                ++found.blue;
        }
    }
    return found;
}

} // namespace

class LayoutTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeServices m_fakes;
    std::unique_ptr<TfrmMain> m_window;

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = std::make_unique<TfrmMain>(
                m_fakes.make(m_dir->filePath(QStringLiteral("Errors.txt")), m_dir->path()));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanupTestCase() { m_window.reset(); }

    void windowFrame()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Программный модуль \"ЗОРТ\""));
        QCOMPARE(m_window->size(), QSize(662, 187));
        QCOMPARE(m_window->minimumSize(), QSize(662, 187));
        QCOMPARE(m_window->maximumSize(), QSize(662, 187));
        const Qt::WindowFlags flags = m_window->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        // The program's icon belongs to the application (the task bar); the window sets none of
        // its own for its title bar.
        QVERIFY(!m_window->testAttribute(Qt::WA_SetWindowIcon));
    }

    void centredOnTheDesktop()
    {
        const QRect desktop = m_window->screen()->geometry();
        const QPoint offset = m_window->frameGeometry().center() - desktop.center();
        QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1,
                 qPrintable(QStringLiteral("off centre by %1,%2").arg(offset.x()).arg(offset.y())));
    }

    void fontAndBackground()
    {
        QCOMPARE(m_window->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(m_window->font().pointSize(), 8);
        QCOMPARE(m_window->palette().color(QPalette::Window),
                 m_window->palette().color(QPalette::Button));
        QVERIFY(m_window->autoFillBackground());
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");

        QTest::newRow("btnFillForm") << "btnFillForm" << QRect(8, 8, 145, 33) << "Заполнить форму"
                                     << "";
        QTest::newRow("btnChoiceFile") << "btnChoiceFile" << QRect(8, 48, 145, 33) << "Выбор файлов"
                                       << "";
        QTest::newRow("btnVerificationData")
                << "btnVerificationData" << QRect(8, 88, 145, 33) << "Проверка по ЗОРТ"
                << "";
        QTest::newRow("btnQuit") << "btnQuit" << QRect(8, 128, 145, 33) << "Завершить работу"
                                 << "";
        QTest::newRow("btnCheckAll") << "btnCheckAll" << QRect(616, 8, 38, 33) << ""
                                     << "Выбрать все";
        QTest::newRow("btnUncheckAll") << "btnUncheckAll" << QRect(616, 41, 38, 36) << ""
                                       << "Отменить все";
        QTest::newRow("btnInvertCheck") << "btnInvertCheck" << QRect(616, 77, 38, 33) << ""
                                        << "Инвертировать выбранное";
        QTest::newRow("btnCleanList") << "btnCleanList" << QRect(616, 111, 38, 33) << ""
                                      << "Удалить выделенные файлы из списка";
        QTest::newRow("btnHelp") << "btnHelp" << QRect(616, 144, 38, 33) << ""
                                 << "Руководство пользователя";
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);

        auto *button = m_window->findChild<QPushButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->toolTip(), tooltip);
        QVERIFY(button->isVisible());
        // Neither Enter nor Escape presses any button.
        QVERIFY(!button->autoDefault());
        QVERIFY(!button->isDefault());
        // Every button shows its 24 x 24 image.
        QCOMPARE(button->iconSize(), QSize(24, 24));
        const QImage image = button->icon().pixmap(24, 24).toImage();
        QCOMPARE(image.size(), QSize(24, 24));
        const Colours colours = countColours(image);
        QVERIFY2(colours.transparent < 24 * 24, "the image is empty");
    }

    void documentList()
    {
        CheckListBox *list = m_window->CheckListBox1;
        QCOMPARE(list->geometry(), QRect(160, 9, 447, 169));
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(list->toolTip().isEmpty());
        m_window->documents().append({QStringLiteral("/f/a.xls"), QStringLiteral("/f/b.xls")});
        QCOMPARE(list->visualRect(m_window->documents().index(0)).height(), 13);
        QCOMPARE(list->visualRect(m_window->documents().index(1)).top(),
                 list->visualRect(m_window->documents().index(0)).top() + 13);
        // The tick box fits inside its row: boxes of neighbouring rows stay apart.
        QVERIFY(list->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, list) < 13);
        m_window->documents().clear();
    }

    void tabOrder()
    {
        const QList<QWidget *> expected {m_window->btnFillForm,         m_window->btnChoiceFile,
                                         m_window->btnVerificationData, m_window->btnQuit,
                                         m_window->CheckListBox1,       m_window->btnCheckAll,
                                         m_window->btnUncheckAll,       m_window->btnInvertCheck,
                                         m_window->btnCleanList,        m_window->btnHelp};
        QList<QWidget *> walked;
        QWidget *widget = m_window->btnFillForm;
        do {
            if (expected.contains(widget))
                walked.append(widget);
            widget = widget->nextInFocusChain();
        } while (widget != m_window->btnFillForm && walked.size() <= expected.size());
        QCOMPARE(walked, expected);
        for (QWidget *control : expected)
            QVERIFY(control->focusPolicy() & Qt::TabFocus);
    }

    void programIconIsThreePeople()
    {
        const QIcon icon = programIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(32, 32).toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        const Colours colours = countColours(image);
        // Transparent background, orange heads, blue bodies.
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(31, 0).alpha(), 0);
        QVERIFY(colours.transparent > 200);
        QVERIFY2(colours.orange > 40, qPrintable(QString::number(colours.orange)));
        QVERIFY2(colours.blue > 100, qPrintable(QString::number(colours.blue)));
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
