#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vantorel::gui {

// The ROM choosers. Filter captions are catalogue texts; patterns are fixed. filterIndex
// is 1-based, 0 meaning the first filter. Each returns the chosen path(s), empty on cancel.
QStringList OpenRomDialog(QWidget* owner, int filterIndex, bool severalFiles = false);
QString SaveRomDialog(QWidget* owner, int filterIndex);
QString OpenIpsDialog(QWidget* owner);
QString OpenBinDialog(QWidget* owner);
QString SaveBinDialog(QWidget* owner);

// The ROM folder as the choosers use it (the stored one, or the home folder).
QString romFolder();

}  // namespace vantorel::gui
