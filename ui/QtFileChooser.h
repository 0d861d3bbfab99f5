#pragma once

#include "FileChooser.h"

#include <QString>

namespace zort {

// `OpenDialog1`: the file-open dialog for forms and templates. Several files can be chosen, a
// typed name comes back whether or not such a file exists, and what one use chose (the first
// file and the filter) is where the next use starts.
class QtFileChooser : public FileChooser
{
public:
    QtFileChooser();

    QStringList choose() override;

    QString lastFileName() const { return m_lastFileName; }
    QString lastFilter() const { return m_lastFilter; }

private:
    QString m_lastFileName;
    QString m_lastFilter;
};

} // namespace zort
