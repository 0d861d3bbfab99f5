#include "OpenFileDialog.h"

#include "UiTexts.h"

#include <QAbstractItemView>
#include <QFileInfo>

namespace zort {

OpenFileDialog::OpenFileDialog(QWidget *parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::HideNameFilterDetails);
    setAcceptMode(QFileDialog::AcceptOpen);
    // ExistingFiles would refuse a typed name of a missing file; AnyFile accepts it but picks
    // one file only, so the views are switched to several files by hand.
    setFileMode(QFileDialog::AnyFile);
    const auto views = findChildren<QAbstractItemView *>();
    for (QAbstractItemView *view : views) {
        if (view->objectName() == QLatin1String("listView")
            || view->objectName() == QLatin1String("treeView"))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    setNameFilters(nameFilterList());
    setWindowTitle(QString());
}

QStringList OpenFileDialog::nameFilterList()
{
    return {ui_text::excelFileFilter(), ui_text::excelTemplateFilter()};
}

void OpenFileDialog::accept()
{
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        const QFileInfo only(files.front());
        if (only.isDir()) {
            // A folder that exists is entered, as in any file dialog.
            setDirectory(only.absoluteFilePath());
            selectFile(QString());
            return;
        }
    }
    // QFileDialog::accept() would keep only the first of several names in this mode.
    QDialog::accept();
}

} // namespace zort
