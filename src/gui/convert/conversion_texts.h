#pragma once

#include <QString>
#include <QStringList>

namespace vantorel::gui {

enum class ConvertDirection { SmdToBin, BinToSmd };

// The status line while entry `index` (from 1) of `count` converts: "path : 2/5" for SMD
// to BIN, "ROM path :2/5" for BIN to SMD.
QString conversionStatus(ConvertDirection direction, const QString& source, int index, int count);

// The closing warning: ErrCNV, ":", a blank line, then each failed destination on its own
// line.
QString failureReport(const QString& errCnv, const QStringList& failedDestinations);

}  // namespace vantorel::gui
