#include "gui/convert/conversion_texts.h"

namespace vantorel::gui {

QString conversionStatus(ConvertDirection direction, const QString& source, int index, int count) {
    const QString counter = QString::number(index) + QLatin1Char('/') + QString::number(count);
    // The path goes in as it stands, so a "%r" inside a file name is never expanded.
    if (direction == ConvertDirection::SmdToBin) return source + QStringLiteral(" : ") + counter;
    return QStringLiteral("ROM ") + source + QStringLiteral(" :") + counter;
}

QString failureReport(const QString& errCnv, const QStringList& failedDestinations) {
    QString text = errCnv + QStringLiteral(":\n\n");
    for (const QString& d : failedDestinations) text += QLatin1Char('\n') + d;
    return text;
}

}  // namespace vantorel::gui
