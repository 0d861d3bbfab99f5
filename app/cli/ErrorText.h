#pragma once

#include <QString>

namespace zort::cli {

// An error's message as the window's error display shows it: closed by a full stop unless it
// already ends in one or in a character that sorts before it, such as "!" or ")".
QString errorDisplayText(const QString &message);

} // namespace zort::cli
