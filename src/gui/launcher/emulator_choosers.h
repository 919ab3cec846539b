#pragma once

#include <QString>

class QWidget;

namespace vantorel::gui {

// The executable choosers of the setup window. Both open in the current folder (the last
// launched emulator's) and return the chosen path, or empty text when cancelled.

// For one of the named emulators; `name` is upper-cased, for the caller too. The first
// filter matches NAME.exe and the bare lower-case program name (native programs have no
// ".exe"); then every .exe; then every file.
QString ChooseEmulatorExe(QWidget* owner, QString& name);

// For the other emulator: every .exe, then every file.
QString ChooseOtherEmulatorExe(QWidget* owner);

}  // namespace vantorel::gui
