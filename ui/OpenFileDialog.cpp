#include "OpenFileDialog.h"

#include "UiTexts.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QLineEdit>

#include <limits>

namespace zort {

namespace {

const QString fileNameEditName = QStringLiteral("fileNameEdit");

} // namespace

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
    // A line edit holds 32767 characters unless told otherwise; a long selection would be cut.
    if (auto *edit = findChild<QLineEdit *>(fileNameEditName))
        edit->setMaxLength(std::numeric_limits<int>::max());
    // No caption is set: the dialog keeps the title Qt gives an open dialog.
    setNameFilters(nameFilterList());
}

QStringList OpenFileDialog::nameFilterList()
{
    return {ui_text::excelFileFilter(), ui_text::excelTemplateFilter()};
}

QString OpenFileDialog::fullFilter(const QString &shown)
{
    const QStringList filters = nameFilterList();
    for (const QString &filter : filters) {
        if (filter == shown || filter.startsWith(shown + QStringLiteral(" (")))
            return filter;
    }
    return filters.front();
}

QStringList OpenFileDialog::typedNames() const
{
    const auto *edit = findChild<QLineEdit *>(fileNameEditName);
    const QString text = edit ? edit->text() : QString();
    QStringList names;
    if (!text.contains(QLatin1Char('"'))) {
        if (!text.trimmed().isEmpty())
            names.append(text);
        return names;
    }
    // Several names: "first.xls" "second.xls" ...
    const QStringList tokens = text.split(QLatin1Char('"'));
    for (qsizetype i = 1; i < tokens.size(); i += 2) {
        if (!tokens[i].isEmpty())
            names.append(tokens[i]);
    }
    return names;
}

void OpenFileDialog::accept()
{
    const QDir folder = directory();
    QStringList files;
    const QStringList names = typedNames();
    for (const QString &name : names)
        files.append(QFileInfo(folder, name).absoluteFilePath());
    if (files.isEmpty()) {
        // Nothing in the file-name box: what is highlighted in the views.
        const QStringList selected = selectedFiles();
        for (const QString &file : selected) {
            if (QFileInfo(file) != QFileInfo(folder.absolutePath()))
                files.append(file);
        }
    }
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        const QFileInfo only(files.front());
        if (only.isDir()) {
            // A folder that exists is entered, as in any file dialog.
            setDirectory(only.absoluteFilePath());
            if (auto *edit = findChild<QLineEdit *>(fileNameEditName))
                edit->clear();
            return;
        }
    }
    m_chosen = files;
    // QFileDialog::accept() would keep only the first of several names in this mode.
    QDialog::accept();
}

} // namespace zort
