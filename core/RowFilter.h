#pragma once

#include "SqlDialect.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace zort {

// A filter over a query's result rows, written as " ID_Element = 'P_FormName'": comparisons
// "Field op Value" with = <> < > <= >= and LIKE, joined by AND and OR, grouped by parentheses.
// A value is a text in single quotes ('' for a quote), a number or NULL; a field may be written
// in brackets. Texts compare without regard to case; LIKE takes "*" or "%" for any characters.
// A blank filter keeps every row.
class RowFilter
{
public:
    // Throws DataSourceError naming the filter when it cannot be parsed or names a field that
    // is not among the columns (compared without regard to case).
    RowFilter(const QString &text, const QStringList &columns);
    ~RowFilter();
    RowFilter(RowFilter &&) noexcept;
    RowFilter &operator=(RowFilter &&) noexcept;

    bool matches(const std::vector<SqlValue> &row) const;

    struct Node;

private:
    std::unique_ptr<Node> m_root; // null for a blank filter
};

} // namespace zort
