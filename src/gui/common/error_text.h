#pragma once

#include <QString>

#include "engine/common/error.h"

class QWidget;

namespace vantorel::gui {

// What a person reads for an engine failure, in the language in use: the language file's
// entry in section Errors keyed by the category and number ("Format603"), its %1, %2...
// filled from the error's values and %* with all of them; the English description when the
// file has no such entry.
// System errors (errno) keep the system's own text.
QString errorText(const Error& error);

// The language file's key for an error ("Patch5002").
QString errorKey(const Error& error);

// A settings write failed: said once, with the reason, and the program goes on.
void reportSettingsFailure(QWidget* parent, const Error& error);

}  // namespace vantorel::gui
