#pragma once

#include <QIcon>
#include <QString>

namespace zort {

// The program's pictures, drawn as vector images in the resources and rendered here at the
// size they are shown in, so that no image plugin is needed.
QIcon programIcon();
// A 24 x 24 button image by its resource name, e.g. "fill_form".
QIcon buttonImage(const QString &name);
// Resource path of an image by name.
QString imagePath(const QString &name);

} // namespace zort
