#pragma once

#include "Prompter.h"
#include "UiTexts.h"

#include <exception>
#include <utility>

namespace zort {

// Runs one handler's body. An exception must never reach Qt's event loop: whatever escapes the
// body is shown in the default error display, and the program goes on.
template<typename Body> void guarded(Prompter &prompter, Body &&body) noexcept
{
    try {
        std::forward<Body>(body)();
        return;
    } catch (const std::exception &error) {
        try {
            prompter.showError(QString::fromUtf8(error.what()));
        } catch (...) { }
    } catch (...) {
        try {
            prompter.showError(ui_text::unknownError());
        } catch (...) { }
    }
}

} // namespace zort
