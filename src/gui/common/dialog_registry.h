#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vantorel::gui {

// Windows the main window opens from its menu but does not own the code of (the about
// box, "frmAcercaDe"). Each registers a factory from its own .cpp; the menu entry does
// nothing while none is registered. The factory builds the window with the given parent;
// the caller shows it modally and it is deleted when closed.
using DialogFactory = std::function<QWidget*(QWidget* parent)>;
void registerDialog(const QString& name, DialogFactory factory);
// Empty when no such window has been built into the program.
DialogFactory dialogFactory(const QString& name);

}  // namespace vantorel::gui

// Put once in the window's .cpp, e.g. VANTOREL_REGISTER_DIALOG("frmAcercaDe", AboutBox).
// TYPE needs a constructor taking the parent widget.
#define VANTOREL_REGISTER_DIALOG(NAME, TYPE)                                                            \
    namespace {                                                                                         \
    const bool vantorelDialogRegistered_##TYPE =                                                        \
        (::vantorel::gui::registerDialog(QStringLiteral(NAME),                                          \
                                         [](QWidget* parent) -> QWidget* { return new TYPE(parent); }), \
         true);                                                                                         \
    }
