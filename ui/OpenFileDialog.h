#pragma once

#include <QFileDialog>
#include <QStringList>

namespace zort {

// Qt's own (non-native) file dialog, so that it behaves the same on every desktop and tests can
// drive it, changed in three ways: several files can be picked, typed names of files that do
// not exist are accepted like picked ones, and the file-name box takes any number of names.
class OpenFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit OpenFileDialog(QWidget *parent = nullptr);

    static QStringList nameFilterList();
    // The full filter ("Файл MS Excel (*.xls)") whose shown name or full text is `shown`.
    static QString fullFilter(const QString &shown);

    // The files the user confirmed, as absolute paths in the order given.
    QStringList chosenFiles() const { return m_chosen; }

    void accept() override;

private:
    QStringList typedNames() const;

    QStringList m_chosen;
};

} // namespace zort
