#include "ErrorText.h"

namespace zort::cli {

QString errorDisplayText(const QString &message)
{
    if (!message.isEmpty() && message.back() <= u'.')
        return message;
    return message + u'.';
}

} // namespace zort::cli
