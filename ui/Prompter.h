#pragma once

#include <QString>

namespace zort {

// Every question and message the window puts to the user goes through here, so that a test can
// answer in the user's place and see exactly what was asked.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // Yes and No with the question icon, Yes the default. True when the answer is Yes.
    virtual bool askYesNo(const QString &caption, const QString &text) = 0;
    // OK alone with the question icon; the answer carries no meaning.
    virtual void tell(const QString &caption, const QString &text) = 0;
    // The plain message: no icon, the application title as caption, one OK.
    virtual void showMessage(const QString &text) = 0;
    // The default error display for an error that ended a handler.
    virtual void showError(const QString &message) = 0;
};

} // namespace zort
