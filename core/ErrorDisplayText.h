#pragma once

#include <QString>

namespace zort {

// An error's message as the program shows it: closed by a full stop unless it is empty or
// already ends in one or in a character that sorts before it, such as "!" or ")". The window's
// error display and zort-check's standard error say the same.
QString errorDisplayText(const QString &message);

} // namespace zort
