#pragma once

#include "Prompter.h"

namespace zort {

// The real message boxes, modal to the whole program and owned by whichever window is active.
class QtPrompter : public Prompter
{
public:
    bool askYesNo(const QString &caption, const QString &text) override;
    void tell(const QString &caption, const QString &text) override;
    void showMessage(const QString &text) override;
    void showError(const QString &message) override;

    // A line feed followed by a carriage return is one line break to the user; a label would
    // show the stray carriage return.
    static QString displayText(const QString &text);
};

} // namespace zort
