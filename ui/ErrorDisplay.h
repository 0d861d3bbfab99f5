#pragma once

#include "ErrorDisplayText.h"

#include <QString>

class QWidget;

namespace zort {

// The default error display: error icon, the application title as caption, one OK.
void showErrorDisplay(QWidget *parent, const QString &message);

} // namespace zort
