#include "QtFileChooser.h"

#include "OpenFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace zort {

QtFileChooser::QtFileChooser()
    : m_lastFilter(OpenFileDialog::nameFilterList().front())
{ }

QStringList QtFileChooser::choose()
{
    OpenFileDialog dialog(QApplication::activeWindow());
    dialog.selectNameFilter(m_lastFilter);
    if (!m_lastFileName.isEmpty())
        dialog.selectFile(m_lastFileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};

    QStringList files;
    const QStringList selected = dialog.chosenFiles();
    for (const QString &file : selected)
        files.append(QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));
    if (files.isEmpty())
        return {};
    m_lastFileName = files.front();
    m_lastFilter = OpenFileDialog::fullFilter(dialog.selectedNameFilter());
    return files;
}

} // namespace zort
