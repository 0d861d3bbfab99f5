#include "Images.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace zort {

namespace {

QPixmap render(const QString &path, int side, qreal scale)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    const int pixels = qRound(side * scale);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

QIcon iconFrom(const QString &path, std::initializer_list<int> sides)
{
    QIcon icon;
    for (int side : sides) {
        for (qreal scale : {1.0, 2.0}) {
            const QPixmap pixmap = render(path, side, scale);
            if (!pixmap.isNull())
                icon.addPixmap(pixmap);
        }
    }
    return icon;
}

} // namespace

QString imagePath(const QString &name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}

QIcon programIcon()
{
    return iconFrom(imagePath(QStringLiteral("zort")), {16, 32, 48, 64});
}

QIcon buttonImage(const QString &name)
{
    return iconFrom(imagePath(name), {24});
}

} // namespace zort
