// The real message boxes, driven by a timer that finds the box and answers it.

#include "ErrorDisplay.h"
#include "QtPrompter.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace zort;

namespace {

struct SeenBox
{
    bool found = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool textWraps = false;
    QStringList buttonTexts; // in the order of the standard buttons
};

// Once the box is up, records what it shows and hands it to `answer`.
void whenBoxShows(SeenBox &seen, std::function<void(QMessageBox *)> answer)
{
    QTimer::singleShot(0, [&seen, answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            // Not up yet: look again shortly.
            whenBoxShows(seen, answer);
            return;
        }
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        for (QMessageBox::StandardButton which :
             {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok}) {
            if (QAbstractButton *button = box->button(which))
                seen.buttonTexts.append(button->text());
        }
        if (QAbstractButton *defaultButton = box->defaultButton())
            seen.defaultButton = box->standardButton(defaultButton);
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (label->text() == box->text())
                seen.textWraps = label->wordWrap();
        }
        answer(box);
    });
}

void press(QMessageBox *box, QMessageBox::StandardButton which)
{
    QTest::mouseClick(box->button(which), Qt::LeftButton);
}

} // namespace

class MessageBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void yesNoQuestion_data()
    {
        QTest::addColumn<int>("pressed");
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }

    void yesNoQuestion()
    {
        QFETCH(int, pressed);
        QFETCH(bool, answer);
        SeenBox seen;
        whenBoxShows(seen, [pressed](QMessageBox *box) {
            press(box, QMessageBox::StandardButton(pressed));
        });
        QtPrompter prompter;
        const bool result =
                prompter.askYesNo(QStringLiteral("Удалить файлы из списка"),
                                  QStringLiteral("Удалить?\n\rДля удаления нажмите кнопку Да"));
        QVERIFY(seen.found);
        QCOMPARE(result, answer);
        QCOMPARE(seen.title, QStringLiteral("Удалить файлы из списка"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(seen.defaultButton, QMessageBox::Yes);
        QCOMPARE(seen.buttonTexts, (QStringList {"Да", "Нет"}));
        // Line feed then carriage return: two lines, no stray character.
        QCOMPARE(seen.text, QStringLiteral("Удалить?\nДля удаления нажмите кнопку Да"));
    }

    void enterTakesTheDefaultYes()
    {
        SeenBox seen;
        whenBoxShows(seen, [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
        QtPrompter prompter;
        QVERIFY(prompter.askYesNo(QStringLiteral("Сообщение"), QStringLiteral("Выйти?")));
        QVERIFY(seen.found);
    }

    void okWithQuestionIcon()
    {
        SeenBox seen;
        whenBoxShows(seen, [](QMessageBox *box) { press(box, QMessageBox::Ok); });
        QtPrompter prompter;
        prompter.tell(QStringLiteral("Файлы не выбраны"),
                      QStringLiteral("Файлы для удаления не выбраны."));
        QVERIFY(seen.found);
        QCOMPARE(seen.title, QStringLiteral("Файлы не выбраны"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.text, QStringLiteral("Файлы для удаления не выбраны."));
        QCOMPARE(seen.buttonTexts, QStringList {"OK"});
    }

    void plainMessageClosesWithEnterOrEscape_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }

    void plainMessageClosesWithEnterOrEscape()
    {
        QFETCH(int, key);
        SeenBox seen;
        whenBoxShows(seen, [key](QMessageBox *box) { QTest::keyClick(box, Qt::Key(key)); });
        QtPrompter prompter;
        prompter.showMessage(QStringLiteral("Выберите документ для проверки."));
        QVERIFY(seen.found);
        QCOMPARE(seen.title, QStringLiteral("Модуль проверки по ЗОРТ"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.text, QStringLiteral("Выберите документ для проверки."));
        QCOMPARE(seen.buttonTexts, QStringList {"OK"});
    }

    void plainMessageWrapsLongText()
    {
        QString text;
        for (int i = 0; i < 40; ++i)
            text += QStringLiteral("Выберите документ для проверки. ");
        SeenBox seen;
        int boxWidth = 0;
        whenBoxShows(seen, [&boxWidth](QMessageBox *box) {
            boxWidth = box->width();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QtPrompter prompter;
        prompter.showMessage(text);
        QVERIFY(seen.found);
        QVERIFY(seen.textWraps);
        QVERIFY(boxWidth < QApplication::primaryScreen()->geometry().width());
    }

    void errorDisplay()
    {
        SeenBox seen;
        whenBoxShows(seen, [](QMessageBox *box) { press(box, QMessageBox::Ok); });
        QtPrompter prompter;
        prompter.showError(QStringLiteral("File access denied"));
        QVERIFY(seen.found);
        QCOMPARE(seen.title, QStringLiteral("Модуль проверки по ЗОРТ"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(seen.text, QStringLiteral("File access denied."));
        QCOMPARE(seen.buttonTexts, QStringList {"OK"});
    }

    void errorTextFullStop_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "I/O error 32"
                               << "I/O error 32.";
        QTest::newRow("Cyrillic") << "Ошибка чтения"
                                  << "Ошибка чтения.";
        QTest::newRow("already a full stop") << "File not found."
                                             << "File not found.";
        QTest::newRow("exclamation sorts before it") << "Stop!"
                                                     << "Stop!";
        QTest::newRow("bracket sorts before it") << "Bad cell (A1)"
                                                 << "Bad cell (A1)";
        QTest::newRow("comma sorts before it") << "one,"
                                               << "one,";
        QTest::newRow("slash sorts after it") << "C:/"
                                              << "C:/.";
        QTest::newRow("digit sorts after it") << "code 5"
                                              << "code 5.";
        QTest::newRow("trailing blank") << "odd "
                                        << "odd ";
        QTest::newRow("empty") << ""
                               << "";
    }

    void errorTextFullStop()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorDisplayText(message), shown);
    }
};

QTEST_MAIN(MessageBoxTest)
#include "MessageBoxTest.moc"
