#include "gui/app/artwork.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vantorel::gui {

QPixmap svgPixmap(const QString& resource, const QSize& size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon svgIcon(const QString& resource, const QSize& size) {
    QIcon icon;
    icon.addPixmap(svgPixmap(resource, size, 1.0));
    icon.addPixmap(svgPixmap(resource, size, 2.0));
    return icon;
}

}  // namespace vantorel::gui
