#include "gui/lang/localize.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTranslator>
#include <QVariant>
#include <QWidget>

#include "gui/lang/app_state.h"

namespace vantorel::gui {

bool setCaption(QObject* control, const QString& text) {
    if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        b->setText(text);
        return true;
    }
    if (auto* l = qobject_cast<QLabel*>(control)) {
        l->setText(text);
        return true;
    }
    if (auto* g = qobject_cast<QGroupBox*>(control)) {
        g->setTitle(text);
        return true;
    }
    if (auto* m = qobject_cast<QMenu*>(control)) {
        m->setTitle(text);
        return true;
    }
    if (auto* a = qobject_cast<QAction*>(control)) {
        a->setText(text);
        return true;
    }
    return false;
}

QString interfaceFontName() {
    QString family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    if (family.isEmpty()) family = QApplication::font().family();
    return family;
}

void applyInterfaceFont(QWidget* widget) {
    QString family = appState().interfaceFont;
    if (family.isEmpty()) family = interfaceFontName();
    QFont f = widget->font();
    f.setFamily(family);
    widget->setFont(f);
}

bool useQtLanguage(const QString& locale) {
    // One translator for the process, replaced when the language changes.
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (locale.isEmpty()) {
        QLocale::setDefault(QLocale::system());
        return true;
    }
    QLocale::setDefault(QLocale(locale));
    auto* translator = new QTranslator;
    if (!translator->load(QStringLiteral("qtbase_") + locale,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return locale.startsWith(QLatin1String("en"));  // Qt's own texts are English already
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

namespace {
// Children in creation order, not descending into nested windows (a tool inside the main
// window, a control that localises itself): those carry the property "localizeRoot".
void collect(QObject* parent, QList<QObject*>& out) {
    for (QObject* child : parent->children()) {
        out.append(child);
        if (!child->property("localizeRoot").toBool()) collect(child, out);
    }
}
}  // namespace

void localizeWindow(QWidget* window, const QString& section, const LocalizeOptions& options) {
    QList<QObject*> children;
    collect(window, children);
    for (QObject* child : children) {
        const QString name = child->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        if (!(options.skipCaption && options.skipCaption(child))) {
            const QVariant index = child->property("index");
            if (index.isValid())
                setCaption(child, langValue(name, QString::number(index.toInt())));
            else
                setCaption(child, langValue(section, name));
        }
        if (auto* w = qobject_cast<QWidget*>(child)) {
            if (!(options.keepFont && options.keepFont(w))) applyInterfaceFont(w);
        }
    }
    if (options.setTitle) window->setWindowTitle(langValue(section, QStringLiteral("Caption")));
}

}  // namespace vantorel::gui
