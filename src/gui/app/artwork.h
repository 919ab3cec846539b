#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vantorel::gui {

// The program's own drawings (SVG in the resources, under ":/app/"), rendered here so
// they need no image-format plugin and stay sharp on scaled screens.
QPixmap svgPixmap(const QString& resource, const QSize& size, qreal devicePixelRatio = 1.0);
QIcon svgIcon(const QString& resource, const QSize& size);

}  // namespace vantorel::gui
