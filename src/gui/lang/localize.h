#pragma once

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace vantorel::gui {

struct LocalizeOptions {
    // Controls whose caption the window leaves alone (frames of the conversion window...).
    std::function<bool(QObject*)> skipCaption;
    // Controls that keep their own font (fixed-pitch fields, for instance).
    std::function<bool(QWidget*)> keepFont;
    // Read the window title from key Caption.
    bool setTitle = true;
};

// Walks the window's children in creation order and sets each captioned one from key =
// objectName in `section` of the current language file. Members of an indexed group (a
// dynamic property "index") read section = objectName, key = the index. Fonts take the
// interface font family. A missing key blanks the caption; a control without a caption
// is passed over. Widgets with the property "localizeRoot" (nested windows, controls that
// localise themselves) are set from the walk's own rules but their children are not visited.
void localizeWindow(QWidget* window, const QString& section, const LocalizeOptions& options = {});

// Sets the caption of any captioned control: buttons, labels, group boxes, actions, menus.
// Returns false for objects that have no caption.
bool setCaption(QObject* control, const QString& text);

// The font family every window uses: the platform's general font family, or the
// application font's when that is empty.
QString interfaceFontName();

// Applies the interface font family to one widget, keeping its size and style.
void applyInterfaceFont(QWidget* widget);

// Qt's own texts (the Yes and No of message boxes, the file and folder choosers) in the
// language a language file names (key Locale of section Language: "es", "en"...), so a
// window never mixes two languages. Empty: Qt's default. False when Qt has no translation
// for it (the windows then keep Qt's default).
bool useQtLanguage(const QString& locale);

}  // namespace vantorel::gui
