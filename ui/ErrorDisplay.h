#pragma once

#include <QString>

class QWidget;

namespace zort {

// The text the default error display shows: the message, closed by a full stop unless it already
// ends in one or in a character that sorts before it, such as "!" or ")".
QString errorDisplayText(const QString &message);

// The default error display: error icon, the application title as caption, one OK.
void showErrorDisplay(QWidget *parent, const QString &message);

} // namespace zort
