#include "gui/app/md_main.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "engine/common/settings.h"
#include "gui/about/frm_credits.h"
#include "gui/app/shk_icon.h"
#include "gui/common/floodbar.h"
#include "gui/common/tool_window.h"
#include "gui/lang/frm_idioma.h"
#include "gui/rom/frm_head_edit.h"
#include "gui/support/scripted.h"
#include "lang_fixture.h"
#include "vantorel/version.h"

using namespace vantorel::gui;
using vantorel::test::LanguageFolder;
using vantorel::test::languageText;
using vantorel::test::ScriptedPrompt;
Q_DECLARE_METATYPE(vantorel::gui::ToolId)

namespace {

// The tool in view, or -1; more than one in view is wrong too (-2).
int shownTool(mdMain& w) {
    int visible = -1;
    for (ToolId id :
         {ToolId::Convert, ToolId::HeadEdit, ToolId::Patch, ToolId::Launcher, ToolId::MakePatch}) {
        QMdiSubWindow* sub = w.toolSubWindow(id);
        if (sub && sub->isVisible()) {
            if (visible != -1) return -2;
            visible = static_cast<int>(id);
        }
    }
    return visible;
}

void clickIcon(mdMain& w, const char* name) {
    QTest::mouseClick(w.findChild<shkIcon*>(name), Qt::LeftButton, {}, QPoint(40, 20));
}

template <typename T>
T* field(ToolWindow* tool, const char* name) {
    return tool ? tool->findChild<T*>(QLatin1String(name)) : nullptr;
}

// A header the editor accepts, with a correct checksum (or not).
QByteArray headerImage(bool goodChecksum = true) {
    QByteArray b(0x300, '\0');
    b.replace(0x100, 16, "SEGA MEGA DRIVE ");
    b[0x200] = '\x12';
    b[0x201] = '\x34';
    b[0x18E] = goodChecksum ? '\x12' : '\x00';
    b[0x18F] = goodChecksum ? '\x34' : '\x00';
    return b;
}

QString putFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(data);
    return path;
}

struct Fixture {
    LanguageFolder lang;
    ScriptedPrompt prompt;
    Fixture() {
        auto& st = appState();
        st.languageFile = lang.add("English.idi", languageText("EN"));
        st.catalogue.load(st.languageFile.toStdString());
        st.ownWindowClosed = false;
        // An emulator is set up, so the launcher opens without sending the user to its setup.
        (void)writeSetting(vantorel::settings::section::Emuladores, vantorel::settings::key::Gens,
                           QStringLiteral("/nonexistent/gens"));
    }
    // The English file the program ships, for tests that read its real texts and mnemonics.
    void useShippedEnglish() {
        auto& st = appState();
        st.languageFile = vantorel::test::sourceLangFile("English");
        st.catalogue.load(st.languageFile.toStdString());
    }
};

const QString kVersion = QString::fromLatin1(vantorel::kVersionText);

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsMenuAndTitle() {
        Fixture fx;
        mdMain w;
        w.show();
        QCOMPARE(w.objectName(), QStringLiteral("mdMain"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vantorel"));
        for (const char* name : {"picStatus", "fbStatus", "lblStatus", "picBar", "pHeader", "cmdTools",
                                 "shConvert", "shEdit", "shIPS", "shMake", "shRun"})
            QVERIFY2(w.findChild<QWidget*>(name), name);
        QCOMPARE(w.findChild<shkIcon*>("shConvert")->text(), QStringLiteral("EN convert"));
        QCOMPARE(w.findChild<shkIcon*>("shRun")->text(), QStringLiteral("EN run"));
        QCOMPARE(w.findChild<QWidget*>("cmdTools")->property("text").toString(), QStringLiteral("EN tools"));
        QCOMPARE(w.findChild<QMenu*>("mnuArch")->title(), QStringLiteral("EN file"));
        QCOMPARE(w.findChild<QMenu*>("mnuAyuda")->title(), QStringLiteral("EN help"));

        // Entries by position, with their pictures; the separator stays a line whatever the file says.
        const QList<QAction*> arch = w.findChild<QMenu*>("mnuArch")->actions();
        QCOMPARE(arch.size(), 3);
        QCOMPARE(arch[0]->objectName(), QStringLiteral("mnuArchIdioma"));
        QCOMPARE(arch[0]->text(), QStringLiteral("EN language"));
        QVERIFY(!arch[0]->icon().isNull());
        QCOMPARE(arch[1]->objectName(), QStringLiteral("ID_SEPARATOR"));
        QVERIFY(arch[1]->isSeparator());
        QCOMPARE(arch[1]->text(), QStringLiteral("-"));
        QCOMPARE(arch[2]->objectName(), QStringLiteral("mnuArchQuit"));
        QVERIFY(!arch[2]->icon().isNull());
        const QList<QAction*> ayuda = w.findChild<QMenu*>("mnuAyuda")->actions();
        QCOMPARE(ayuda.size(), 1);
        QCOMPARE(ayuda[0]->text(), QStringLiteral("EN about"));
        QVERIFY(!ayuda[0]->icon().isNull());

        // Fixed: neither resizable nor maximisable.
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        const QSize before = w.size();
        w.resize(before + QSize(100, 100));
        QCOMPARE(w.size(), before);

        // The icons and the progress bar wear the bar's font.
        const QFont barFont = w.findChild<QWidget*>("picBar")->font();
        QCOMPARE(w.findChild<shkIcon*>("shIPS")->font(), barFont);
        QCOMPARE(w.findChild<FloodBar*>("fbStatus")->font(), barFont);
        QVERIFY(!w.findChild<FloodBar*>("fbStatus")->isVisible());
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void statusLineTellsTheVersionOnLoad() {
        Fixture fx;
        mdMain w;
        QCOMPARE(w.findChild<QLabel*>("lblStatus")->text(), "EN ready " + kVersion);
    }

    // The status line shows AppMsg again only when the main window comes back from another
    // of the program's own windows. A tool's text survives its message boxes and choosers and
    // the user's trip to another program: it is what the user needs to read.
    void statusLineAfterReactivation_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("expected");  // a regular expression
        QTest::newRow("launch failed, error box closed") << "launch"
                                                         << ".*No such file or directory \\(1002\\)$";
        QTest::newRow("ROM chosen in the launcher") << "browse"
                                                    << "^Ready to run .*/chosen\\.bin$";
        QTest::newRow("checksum question answered") << "checksum"
                                                    << "^Ready to edit .*/bad\\.bin$";
        QTest::newRow("back from another program") << "elsewhere"
                                                   << "^left by a tool$";
        QTest::newRow("about box closed") << "about"
                                          << "^Vantorel .* ready\\..*";
        QTest::newRow("language chooser cancelled") << "chooser"
                                                    << "^Vantorel .* ready\\..*";
        QTest::newRow("credits closed") << "credits"
                                        << "^Vantorel .* ready\\..*";
    }

    void statusLineAfterReactivation() {
        QFETCH(QString, action);
        QFETCH(QString, expected);
        Fixture fx;
        fx.useShippedEnglish();
        QTemporaryDir dir;
        mdMain w;
        w.show();
        if (action == "launch") {
            clickIcon(w, "shRun");
            fx.prompt.answers = {PromptAnswer::Ok};
            QTest::mouseClick(field<QPushButton>(w.tool(ToolId::Launcher), "cmdGens"), Qt::LeftButton);
            QTRY_VERIFY(!w.working());
            QCOMPARE(fx.prompt.messages.size(), 1);
        } else if (action == "browse") {
            clickIcon(w, "shRun");
            fx.prompt.fileAnswers.push_back({dir.filePath("chosen.bin")});
            QTest::mouseClick(field<QToolButton>(w.tool(ToolId::Launcher), "cmdBrowse"), Qt::LeftButton);
        } else if (action == "checksum") {
            clickIcon(w, "shEdit");
            fx.prompt.answers = {PromptAnswer::No};
            w.tool(ToolId::HeadEdit)->takePath(putFile(dir.filePath("bad.bin"), headerImage(false)));
            QTRY_VERIFY(!w.working());
            QCOMPARE(fx.prompt.messages.size(), 1);
        } else if (action == "elsewhere") {
            SetStatusText("left by a tool");
        } else if (action == "about") {
            SetStatusText("left by a tool");
            w.findChild<QAction*>("mnuAyudaAcerca")->trigger();
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == "frmAcercaDe" && top->isVisible()) top->close();
        } else if (action == "chooser") {
            SetStatusText("left by a tool");
            frmIdioma chooser(false, fx.lang.folder(), &w);
            chooser.show();
            chooser.cancel();
        } else if (action == "credits") {
            SetStatusText("left by a tool");
            auto* credits = new frmCredits(&w);
            credits->show();
            credits->quit();
        }
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w, &activate);
        const QString status = w.findChild<QLabel*>("lblStatus")->text();
        QVERIFY2(QRegularExpression(expected).match(status).hasMatch(), qPrintable(status));
        QCOMPARE(fx.prompt.unexpected, 0);
    }

    // Alt and the menu's letter opens it; Ctrl+Q quits through the exit question.
    void keyboardReachesTheMenuAndQuits() {
        Fixture fx;
        fx.useShippedEnglish();
        mdMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* file = w.findChild<QMenu*>("mnuArch");
        QCOMPARE(file->title(), QStringLiteral("&File"));
        QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        file->close();

        fx.prompt.answers = {PromptAnswer::No};
        QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(fx.prompt.messages.size(), 1);
        QCOMPARE(fx.prompt.messages[0].text, msg(vantorel::lang::Msg::WantExit));
        QVERIFY(w.isVisible());
    }

    // A tool opened from its icon has the keyboard, and Ctrl+O brings its chooser: the one of
    // the file box the keyboard is in, else the tool's first.
    void ctrlOBrowsesInTheToolInView_data() {
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("box");  // empty: wherever opening the tool left the keyboard
        QTest::addColumn<int>("title");
        using vantorel::lang::Msg;
        QTest::newRow("header editor") << "shEdit"
                                       << "" << int(Msg::LoadBinT);
        QTest::newRow("patcher") << "shIPS"
                                 << "" << int(Msg::SelRomBox);
        QTest::newRow("patcher, in the patch box") << "shIPS"
                                                   << "txIPS" << int(Msg::SelIPSBox);
        QTest::newRow("patch maker") << "shMake"
                                     << "" << int(Msg::SelRomBox);
        QTest::newRow("launcher") << "shRun"
                                  << "" << int(Msg::SelRomBox);
    }
    void ctrlOBrowsesInTheToolInView() {
        QFETCH(QString, icon);
        QFETCH(QString, box);
        QFETCH(int, title);
        Fixture fx;
        fx.useShippedEnglish();
        mdMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        clickIcon(w, icon.toLatin1().constData());
        if (!box.isEmpty()) {
            auto* edit = w.findChild<QLineEdit*>(box);
            QVERIFY(edit);
            edit->setFocus();
        }
        QWidget* keyboard = QApplication::focusWidget();
        QVERIFY(keyboard);
        fx.prompt.fileAnswers.push_back({});
        QTest::keyClick(keyboard, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(fx.prompt.fileRequests.size(), 1);
        QCOMPARE(fx.prompt.fileRequests[0].title, msg(static_cast<vantorel::lang::Msg>(title)));
    }

    void hostCallsReachTheStatusArea() {
        Fixture fx;
        mdMain w;
        w.show();
        QCOMPARE(&host(), static_cast<ShellHost*>(&w));
        auto* bar = w.findChild<FloodBar*>("fbStatus");
        w.setProgressVisible(true);
        QVERIFY(bar->isVisible());
        ShowProgress(200, 50, "working", true);
        QCOMPARE(bar->max(), 200);
        QCOMPARE(bar->value(), 50);
        QCOMPARE(bar->text(), QStringLiteral("working"));
        QVERIFY(bar->mosPct());
        w.setProgressVisible(false);
        QVERIFY(!bar->isVisible());
        QCOMPARE(w.dialogParent(), &w);
    }

    void hostIsReleasedWithTheWindow() {
        Fixture fx;
        auto* w = new mdMain;
        QCOMPARE(&host(), static_cast<ShellHost*>(w));
        delete w;
        QVERIFY(&host() != static_cast<ShellHost*>(w));
        SetStatusText("no window: nothing happens");
    }

    void iconsOpenOneToolAtATime() {
        Fixture fx;
        mdMain w;
        w.show();
        clickIcon(w, "shConvert");
        QCOMPARE(shownTool(w), int(ToolId::Convert));
        QPointer<ToolWindow> convert = w.tool(ToolId::Convert);
        convert->acceptFiles({"/roms/kept.bin"});

        clickIcon(w, "shEdit");
        QCOMPARE(shownTool(w), int(ToolId::HeadEdit));
        clickIcon(w, "shIPS");
        QCOMPARE(shownTool(w), int(ToolId::Patch));
        clickIcon(w, "shMake");
        QCOMPARE(shownTool(w), int(ToolId::MakePatch));
        QCOMPARE(w.tool(ToolId::MakePatch)->objectName(), QStringLiteral("frmMakePatch"));
        clickIcon(w, "shRun");
        QCOMPARE(shownTool(w), int(ToolId::Launcher));

        clickIcon(w, "shConvert");
        QCOMPARE(shownTool(w), int(ToolId::Convert));  // the same, hidden meanwhile, with its state
        QCOMPARE(w.tool(ToolId::Convert), convert.data());
        QCOMPARE(field<QListWidget>(convert, "lsOrgBin")->count(), 1);
        clickIcon(w, "shConvert");  // again: hidden and shown, still the same
        QCOMPARE(w.tool(ToolId::Convert), convert.data());
        QCOMPARE(w.findChildren<QMdiSubWindow*>().size(), 5);
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void unloadedToolIsBuiltAnew_data() {
        QTest::addColumn<bool>("titleBarClose");
        QTest::newRow("tool's own close button") << false;
        QTest::newRow("title bar close box") << true;
    }

    void unloadedToolIsBuiltAnew() {
        QFETCH(bool, titleBarClose);
        Fixture fx;
        mdMain w;
        w.show();
        clickIcon(w, "shRun");
        QPointer<ToolWindow> first = w.tool(ToolId::Launcher);
        field<QLineEdit>(first, "txRom")->setText("old");
        SetStatusText("a launch");
        if (titleBarClose)
            w.toolSubWindow(ToolId::Launcher)->close();
        else
            QTest::mouseClick(field<QPushButton>(first, "cmdExit"), Qt::LeftButton);
        // Every way out unloads the same way.
        QCOMPARE(w.findChild<QLabel*>("lblStatus")->text(), "EN ready " + kVersion);
        // At once, before the old one is gone: the setup window reopens the launcher so.
        w.Launcher_();
        ToolWindow* second = w.tool(ToolId::Launcher);
        QVERIFY(second && second != first);
        QCOMPARE(field<QLineEdit>(second, "txRom")->text(), QString());
        QTRY_VERIFY(!first);
        QCOMPARE(shownTool(w), int(ToolId::Launcher));
    }

    void commandLine_data() {
        QTest::addColumn<QString>("commandLine");  // %d: a folder holding game.bin and x.smd
        QTest::addColumn<int>("tool");             // -1: none
        QTest::addColumn<QString>("path");         // what the tool took, %d as above
        const int none = -1;
        QTest::newRow("empty") << "" << none << "";
        QTest::newRow("/c") << "/c" << int(ToolId::Convert) << "";
        QTest::newRow("/P") << "/P" << int(ToolId::Patch) << "";
        QTest::newRow("/h with path") << "/h %d/game.bin" << int(ToolId::HeadEdit) << "%d/game.bin";
        QTest::newRow("/h quoted path") << "/h \"%d/game.bin\"" << int(ToolId::HeadEdit) << "%d/game.bin";
        QTest::newRow("/h relative path") << "/h game.bin" << int(ToolId::HeadEdit) << "%d/game.bin";
        QTest::newRow("/l quoted path") << "/l \"%d/x.smd\"" << int(ToolId::Launcher) << "%d/x.smd";
        QTest::newRow("/l relative path") << "/l x.smd" << int(ToolId::Launcher) << "%d/x.smd";
        QTest::newRow("/h alone") << "/h" << int(ToolId::HeadEdit) << "";
        QTest::newRow("/h and a blank") << "/h " << int(ToolId::HeadEdit) << "";
        QTest::newRow("/c ignores a path") << "/c /x.bin" << int(ToolId::Convert) << "";
        QTest::newRow("unknown switch") << "/x foo" << none << "";
        QTest::newRow("bare path") << "C:\\roms\\game.bin" << none << "";
        // A path named alone is no switch, though it starts like /p or /h: existing or not,
        // a file or a folder.
        QTest::newRow("bare existing path") << "/proc/version" << none << "";
        QTest::newRow("bare existing folder") << "%d" << none << "";
        QTest::newRow("bare missing path") << "/home/nobody/missing.bin" << none << "";
        QTest::newRow("/p then existing path") << "/p /proc/version" << int(ToolId::Patch) << "";
    }

    // The program starts in %d; the tools make the ROM folder current before the command
    // line is read, as they do in the real order.
    void commandLine() {
        QFETCH(QString, commandLine);
        QFETCH(int, tool);
        QFETCH(QString, path);
        Fixture fx;
        QTemporaryDir start, roms;
        putFile(start.filePath("game.bin"), headerImage());
        putFile(start.filePath("x.smd"), "x");
        (void)writeSetting(vantorel::settings::section::ROMs, vantorel::settings::key::Directorio,
                           roms.path() + "/");
        commandLine.replace("%d", start.path());
        path.replace("%d", start.path());
        const QString before = QDir::currentPath();
        QDir::setCurrent(roms.path());
        mdMain w(commandLine, start.path());
        w.show();
        w.ParseCommand();
        QCOMPARE(shownTool(w), tool);
        if (tool < 0) QCOMPARE(w.findChildren<QMdiSubWindow*>().size(), 0);
        if (tool == int(ToolId::HeadEdit)) {
            auto* editor = static_cast<frmHeadEdit*>(w.tool(ToolId::HeadEdit));
            QTRY_VERIFY(!editor->busy());
            QCOMPARE(editor->romPath(), path);
        }
        if (tool == int(ToolId::Launcher))
            QCOMPARE(field<QLineEdit>(w.tool(ToolId::Launcher), "txRom")->text(), path);
        QDir::setCurrent(before);
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void showInLauncherHandsThePathOver() {
        Fixture fx;
        mdMain w;
        w.show();
        clickIcon(w, "shEdit");
        ShowInLauncher("/roms/patched.bin");
        QCOMPARE(shownTool(w), int(ToolId::Launcher));
        QCOMPARE(field<QLineEdit>(w.tool(ToolId::Launcher), "txRom")->text(),
                 QStringLiteral("/roms/patched.bin"));
        QVERIFY(!w.toolSubWindow(ToolId::HeadEdit)->isVisible());
    }

    void droppedFilesOpenTheToolThatFits_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<ToolId>("tool");
        QTest::newRow("smd image") << QStringList{"game.smd"} << ToolId::Convert;
        QTest::newRow("smd in capitals") << QStringList{"GAME.SMD"} << ToolId::Convert;
        QTest::newRow("patch") << QStringList{"fix.ips"} << ToolId::Patch;
        QTest::newRow("image with its patch") << QStringList{"game.bin", "fix.IPS"} << ToolId::Patch;
        QTest::newRow("a BPS patch") << QStringList{"translation.bps"} << ToolId::Patch;
        QTest::newRow("bin image") << QStringList{"game.bin"} << ToolId::HeadEdit;
        QTest::newRow("any other file") << QStringList{"notes.txt"} << ToolId::HeadEdit;
        QTest::newRow("smd with a bin") << QStringList{"a.smd", "b.bin"} << ToolId::HeadEdit;
    }

    void droppedFilesOpenTheToolThatFits() {
        QFETCH(QStringList, names);
        QFETCH(ToolId, tool);
        Fixture fx;
        QTemporaryDir dir;
        QStringList paths;
        QList<QUrl> urls;
        for (const QString& name : names) {
            // A patch is known by what it holds.
            const bool patch = name.endsWith(".ips", Qt::CaseInsensitive) || name.endsWith(".bps");
            paths << putFile(dir.filePath(name), patch ? QByteArray("PATCHEOF") : headerImage());
            urls << QUrl::fromLocalFile(paths.last());
        }
        mdMain w;
        w.show();
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        QCOMPARE(shownTool(w), int(tool));
        ToolWindow* opened = w.tool(tool);
        switch (tool) {
            case ToolId::Convert:
                QCOMPARE(field<QListWidget>(opened, "lsOrgSmd")->item(0)->text(), paths.first());
                break;
            case ToolId::Patch:
                QVERIFY(paths.contains(field<QLineEdit>(opened, "txIPS")->text()));
                break;
            case ToolId::HeadEdit:
                QTRY_VERIFY(!static_cast<frmHeadEdit*>(opened)->busy());
                QCOMPARE(static_cast<frmHeadEdit*>(opened)->romPath(), paths.first());
                break;
            case ToolId::Launcher:
            case ToolId::MakePatch:  // drops on the main window go to the other tools
                break;
        }
    }

    void dropOfNoFileOpensNothing() {
        Fixture fx;
        mdMain w;
        w.show();
        QMimeData mime;
        mime.setText("just text");
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(shownTool(w), -1);
    }

    void aboutEntryOpensTheAboutBox() {
        Fixture fx;
        mdMain w;
        w.show();
        w.findChild<QAction*>("mnuAyudaAcerca")->trigger();
        QPointer<QWidget> about;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmAcercaDe" && top->isVisible()) about = top;
        QVERIFY(about);
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        about->close();
        QTRY_VERIFY(!about);  // deleted when closed
    }
};

QTEST_MAIN(MainWindowTest)
#include "md_main.moc"
