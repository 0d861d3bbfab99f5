#pragma once

#include <Qt>

namespace zort {

// The main window's frame: a title with a close box only, no minimise or maximise box, a border
// that does not resize, and no picture in the title bar where the desktop allows leaving it out.
Qt::WindowFlags mainWindowFlags();

} // namespace zort
