#pragma once

class QCoreApplication;

namespace zort {

// The program speaks Russian whatever the desktop's language: Qt's own texts (the file dialog's
// labels and buttons) are loaded in Russian where Qt's translations are installed.
void installRussianQtTexts(QCoreApplication &application);

} // namespace zort
