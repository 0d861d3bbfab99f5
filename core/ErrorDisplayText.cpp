#include "ErrorDisplayText.h"

namespace zort {

QString errorDisplayText(const QString &message)
{
    if (message.isEmpty() || message.back() <= QLatin1Char('.'))
        return message;
    return message + QLatin1Char('.');
}

} // namespace zort
