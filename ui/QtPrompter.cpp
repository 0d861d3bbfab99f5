#include "QtPrompter.h"

#include "ErrorDisplay.h"
#include "UiTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>

namespace zort {

namespace {

// Plain buttons with the program's own names, as the system's message boxes have.
void nameButtons(QMessageBox &box)
{
    for (QAbstractButton *button : box.buttons())
        button->setIcon(QIcon());
    if (QAbstractButton *yes = box.button(QMessageBox::Yes))
        yes->setText(ui_text::yesButton());
    if (QAbstractButton *no = box.button(QMessageBox::No))
        no->setText(ui_text::noButton());
    if (QAbstractButton *ok = box.button(QMessageBox::Ok))
        ok->setText(ui_text::okButton());
}

int runBox(QMessageBox::Icon icon, const QString &caption, const QString &text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
           QWidget *parent)
{
    QMessageBox box(icon, caption, QtPrompter::displayText(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    nameButtons(box);
    box.setDefaultButton(defaultButton);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec();
}

} // namespace

QString QtPrompter::displayText(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

bool QtPrompter::askYesNo(const QString &caption, const QString &text)
{
    return runBox(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes, QApplication::activeWindow())
           == QMessageBox::Yes;
}

void QtPrompter::tell(const QString &caption, const QString &text)
{
    runBox(QMessageBox::Question, caption, text, QMessageBox::Ok, QMessageBox::Ok,
           QApplication::activeWindow());
}

void QtPrompter::showMessage(const QString &text)
{
    // No owner: the box centres itself on the screen. OK is both the default and the escape
    // button, so Enter and Escape close it.
    runBox(QMessageBox::NoIcon, ui_text::applicationTitle(), text, QMessageBox::Ok, QMessageBox::Ok,
           nullptr);
}

void QtPrompter::showError(const QString &message)
{
    showErrorDisplay(QApplication::activeWindow(), message);
}

} // namespace zort
