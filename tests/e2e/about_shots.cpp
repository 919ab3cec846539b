// Opens the about box and the credits show as a person would (ten Ctrl presses, the revealed
// button) and saves pictures of them: the about box, then the show twice, a few seconds apart,
// so the scrolling can be seen. Usage: e2e_about_shots <output folder>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "engine/common/paths.h"
#include "engine/common/settings.h"
#include "gui/about/frm_acerca_de.h"
#include "gui/about/frm_credits.h"
#include "gui/lang/app_state.h"

using namespace vantorel;

namespace {

void waitMs(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* w, const QString& path) {
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

gui::frmCredits* findShow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* show = qobject_cast<gui::frmCredits*>(w); show && show->isVisible()) return show;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    // A settings file of its own, so the user's is never touched.
    QTemporaryDir scratch;
    auto& state = gui::appState();
    state.settingsPath = scratch.path() + QStringLiteral("/vantorel.ini");
    (void)gui::writeSetting(settings::section::ROMs, settings::key::Directorio,
                            QStringLiteral("/home/player/roms/genesis"));
    state.languageFile = QString::fromStdString((paths::languageFolder() / "English.idi").string());
    state.catalogue.load(state.languageFile.toStdString());

    QWidget owner;
    auto* box = new gui::frmAcercaDe(&owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    waitMs(300);
    for (int i = 0; i < 10; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }
    auto* credits = box->findChild<QPushButton*>(QStringLiteral("cmdCredits"));
    waitMs(200);
    bool ok = credits && credits->isVisible();
    if (!ok) std::fprintf(stderr, "the credits button did not appear\n");
    ok = save(box, out + QStringLiteral("/about_box.png")) && ok;
    if (!credits) return 1;
    credits->click();

    QElapsedTimer t;
    t.start();
    gui::frmCredits* show = nullptr;
    while (!(show = findShow()) && t.elapsed() < 5000) waitMs(20);
    if (!show) {
        std::fprintf(stderr, "the credits show did not open\n");
        return 1;
    }
    waitMs(3000);
    ok = save(show, out + QStringLiteral("/credits_1.png")) && ok;
    waitMs(2500);
    ok = save(show, out + QStringLiteral("/credits_2.png")) && ok;
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(show, &esc);
    waitMs(100);
    return ok ? 0 : 1;
}
