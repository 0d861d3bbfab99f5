#pragma once

#include <QFileDialog>

namespace zort {

// Qt's own (non-native) file dialog, so that it behaves the same on every desktop and tests can
// drive it, changed in two ways: several files can be picked, and typed names of files that do
// not exist are accepted like picked ones.
class OpenFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit OpenFileDialog(QWidget *parent = nullptr);

    static QStringList nameFilterList();

    void accept() override;
};

} // namespace zort
