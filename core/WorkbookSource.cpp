#include "WorkbookSource.h"

namespace zort {

QString FieldValue::toText() const
{
    if (m_null)
        throw DataSourceError(QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    return m_text;
}

} // namespace zort
