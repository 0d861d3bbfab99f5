#include "ErrorDisplay.h"

#include "UiTexts.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>

namespace zort {

void showErrorDisplay(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, ui_text::applicationTitle(), errorDisplayText(message),
                    QMessageBox::Ok, parent);
    QAbstractButton *ok = box.button(QMessageBox::Ok);
    ok->setText(ui_text::okButton());
    ok->setIcon(QIcon());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace zort
