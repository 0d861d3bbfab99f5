#include "ErrorDisplay.h"

#include "UiTexts.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace zort {

QString errorDisplayText(const QString &message)
{
    if (message.isEmpty() || message.back() <= QLatin1Char('.'))
        return message;
    return message + QLatin1Char('.');
}

void showErrorDisplay(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, ui_text::applicationTitle(), errorDisplayText(message),
                    QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(ui_text::okButton());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace zort
