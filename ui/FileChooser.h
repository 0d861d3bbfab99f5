#pragma once

#include <QStringList>

namespace zort {

// The file-open dialog behind both "Заполнить форму" and "Выбор файлов".
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The chosen files as full paths, in the dialog's order; an empty list when the user cancels.
    virtual QStringList choose() = 0;
};

} // namespace zort
