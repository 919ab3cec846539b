#include "gui/app/main_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QtTest>
#include <map>

#include "gui/app/shortcut_icon.h"
#include "gui/common/dialog_registry.h"
#include "gui/common/floodbar.h"
#include "gui/common/tool_window.h"
#include "gui/support/scripted.h"
#include "lang_fixture.h"
#include "vantorel/version.h"

using namespace vantorel::gui;
using vantorel::test::LanguageFolder;
using vantorel::test::languageText;
using vantorel::test::ScriptedPrompt;
Q_DECLARE_METATYPE(vantorel::gui::ToolId)

namespace {

// A stand-in tool: a field to hold state, and a record of the paths handed to it.
class FakeTool : public ToolWindow {
public:
    explicit FakeTool(ToolId id) : id(id) {
        field = new QLineEdit(this);
        field->setObjectName("txField");
        resize(300, 200);
    }
    void takePath(const QString& path) override { paths << path; }
    ToolId id;
    QLineEdit* field;
    QStringList paths;
};

std::map<ToolId, int> gBuilt;

void registerFakes() {
    for (ToolId id : {ToolId::Convert, ToolId::HeadEdit, ToolId::Patch, ToolId::Launcher})
        registerTool(id, [id] {
            ++gBuilt[id];
            return new FakeTool(id);
        });
}

FakeTool* shown(MainWindow& w) {
    FakeTool* visible = nullptr;
    for (ToolId id : {ToolId::Convert, ToolId::HeadEdit, ToolId::Patch, ToolId::Launcher}) {
        QMdiSubWindow* sub = w.toolSubWindow(id);
        if (sub && sub->isVisible()) {
            if (visible) return nullptr;  // more than one in view is wrong too
            visible = static_cast<FakeTool*>(sub->widget());
        }
    }
    return visible;
}

void clickIcon(MainWindow& w, const char* name) {
    QTest::mouseClick(w.findChild<ShortcutIcon*>(name), Qt::LeftButton, {}, QPoint(40, 20));
}

struct Fixture {
    LanguageFolder lang;
    ScriptedPrompt prompt;
    Fixture() {
        auto& st = appState();
        st.languageFile = lang.add("English.idi", languageText("EN"));
        st.catalogue.load(st.languageFile.toStdString());
        gBuilt.clear();
        registerFakes();
    }
};

const QString kVersion = QString::fromLatin1(vantorel::kVersionText);

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsMenuAndTitle() {
        Fixture fx;
        MainWindow w;
        w.show();
        QCOMPARE(w.objectName(), QStringLiteral("mdMain"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vantorel"));
        for (const char* name : {"picStatus", "fbStatus", "lblStatus", "picBar", "pHeader", "cmdTools",
                                 "shConvert", "shEdit", "shIPS", "shRun"})
            QVERIFY2(w.findChild<QWidget*>(name), name);
        QCOMPARE(w.findChild<ShortcutIcon*>("shConvert")->text(), QStringLiteral("EN convert"));
        QCOMPARE(w.findChild<ShortcutIcon*>("shRun")->text(), QStringLiteral("EN run"));
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
        QCOMPARE(w.findChild<ShortcutIcon*>("shIPS")->font(), barFont);
        QCOMPARE(w.findChild<FloodBar*>("fbStatus")->font(), barFont);
        QVERIFY(!w.findChild<FloodBar*>("fbStatus")->isVisible());
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void statusLineTellsTheVersionOnLoadAndReactivation() {
        Fixture fx;
        MainWindow w;
        auto* status = w.findChild<QLabel*>("lblStatus");
        QCOMPARE(status->text(), "EN ready " + kVersion);
        SetStatusText("a tool was here");
        QCOMPARE(status->text(), QStringLiteral("a tool was here"));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&w, &activate);
        QCOMPARE(status->text(), "EN ready " + kVersion);
    }

    void hostCallsReachTheStatusArea() {
        Fixture fx;
        MainWindow w;
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
        auto* w = new MainWindow;
        QCOMPARE(&host(), static_cast<ShellHost*>(w));
        delete w;
        QVERIFY(&host() != static_cast<ShellHost*>(w));
        SetStatusText("no window: nothing happens");
    }

    void iconsOpenOneToolAtATime() {
        Fixture fx;
        MainWindow w;
        w.show();
        clickIcon(w, "shConvert");
        FakeTool* convert = shown(w);
        QVERIFY(convert);
        QCOMPARE(convert->id, ToolId::Convert);
        convert->field->setText("state kept");

        clickIcon(w, "shEdit");
        QVERIFY(shown(w) && shown(w)->id == ToolId::HeadEdit);
        clickIcon(w, "shIPS");
        QVERIFY(shown(w) && shown(w)->id == ToolId::Patch);
        clickIcon(w, "shRun");
        QVERIFY(shown(w) && shown(w)->id == ToolId::Launcher);

        clickIcon(w, "shConvert");
        QCOMPARE(shown(w), convert);  // the same, hidden meanwhile, with its state
        QCOMPARE(convert->field->text(), QStringLiteral("state kept"));
        clickIcon(w, "shConvert");  // again: hidden and shown, still the same
        QCOMPARE(shown(w), convert);
        QCOMPARE(gBuilt[ToolId::Convert], 1);
        QCOMPARE(gBuilt[ToolId::HeadEdit], 1);
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void missingToolIsQuiet() {
        Fixture fx;
        registerTool(ToolId::Patch, {});
        MainWindow w;
        w.show();
        clickIcon(w, "shConvert");
        FakeTool* convert = shown(w);
        clickIcon(w, "shIPS");
        QCOMPARE(shown(w), convert);  // nothing opened, nothing hidden
        QVERIFY(!w.toolSubWindow(ToolId::Patch));
        QCOMPARE(w.findChildren<QMdiSubWindow*>().size(), 1);
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
        MainWindow w;
        w.show();
        clickIcon(w, "shRun");
        QPointer<FakeTool> first = static_cast<FakeTool*>(shown(w));
        first->field->setText("old");
        if (titleBarClose)
            w.toolSubWindow(ToolId::Launcher)->close();
        else
            first->unloadTool();
        // At once, before the old one is gone: the setup window reopens the launcher so.
        w.Launcher_();
        FakeTool* second = shown(w);
        QVERIFY(second && second != first);
        QCOMPARE(second->field->text(), QString());
        QCOMPARE(gBuilt[ToolId::Launcher], 2);
        QTRY_VERIFY(!first);
        QCOMPARE(shown(w), second);
    }

    void commandLine_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("tool");  // -1: none
        QTest::addColumn<QStringList>("paths");
        const int none = -1;
        QTest::newRow("empty") << "" << none << QStringList{};
        QTest::newRow("/c") << "/c" << int(ToolId::Convert) << QStringList{};
        QTest::newRow("/P") << "/P" << int(ToolId::Patch) << QStringList{};
        QTest::newRow("/h with path")
            << "/h /roms/game.bin" << int(ToolId::HeadEdit) << QStringList{"/roms/game.bin"};
        QTest::newRow("/h quoted path")
            << "/h \"/my roms/game.bin\"" << int(ToolId::HeadEdit) << QStringList{"/my roms/game.bin"};
        QTest::newRow("/h unquoted path with blanks")
            << "/h /my roms/game.bin" << int(ToolId::HeadEdit) << QStringList{"/my roms/game.bin"};
        QTest::newRow("/l quoted path")
            << "/l \"/a b/x.smd\"" << int(ToolId::Launcher) << QStringList{"/a b/x.smd"};
        QTest::newRow("/h alone") << "/h" << int(ToolId::HeadEdit) << QStringList{};
        QTest::newRow("/h and a blank") << "/h " << int(ToolId::HeadEdit) << QStringList{};
        QTest::newRow("/c ignores a path") << "/c /x.bin" << int(ToolId::Convert) << QStringList{};
        QTest::newRow("unknown switch") << "/x foo" << none << QStringList{};
        QTest::newRow("bare path") << "C:\\roms\\game.bin" << none << QStringList{};
        // An existing file named alone is a bare path, even though it starts like /p.
        QTest::newRow("bare existing path") << "/proc/version" << none << QStringList{};
        QTest::newRow("/p then existing path") << "/p /proc/version" << int(ToolId::Patch) << QStringList{};
    }

    void commandLine() {
        QFETCH(QString, commandLine);
        QFETCH(int, tool);
        QFETCH(QStringList, paths);
        Fixture fx;
        MainWindow w(commandLine);
        w.show();
        w.ParseCommand();
        FakeTool* visible = shown(w);
        if (tool < 0) {
            QVERIFY(!visible);
            QCOMPARE(w.findChildren<QMdiSubWindow*>().size(), 0);
        } else {
            QVERIFY(visible);
            QCOMPARE(int(visible->id), tool);
            QCOMPARE(visible->paths, paths);
        }
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void showInLauncherHandsThePathOver() {
        Fixture fx;
        MainWindow w;
        w.show();
        clickIcon(w, "shEdit");
        ShowInLauncher("/roms/patched.bin");
        FakeTool* launcher = shown(w);
        QVERIFY(launcher && launcher->id == ToolId::Launcher);
        QCOMPARE(launcher->paths, QStringList{"/roms/patched.bin"});
        QVERIFY(!w.toolSubWindow(ToolId::HeadEdit)->isVisible());
    }

    void droppedFilesOpenTheToolThatFits_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<ToolId>("tool");
        QTest::newRow("smd image") << QStringList{"game.smd"} << ToolId::Convert;
        QTest::newRow("smd in capitals") << QStringList{"GAME.SMD"} << ToolId::Convert;
        QTest::newRow("patch") << QStringList{"fix.ips"} << ToolId::Patch;
        QTest::newRow("image with its patch") << QStringList{"game.bin", "fix.IPS"} << ToolId::Patch;
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
            paths << dir.filePath(name);
            QFile f(paths.last());
            QVERIFY(f.open(QIODevice::WriteOnly));
            urls << QUrl::fromLocalFile(paths.last());
        }
        MainWindow w;
        w.show();
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &drop);
        FakeTool* opened = shown(w);
        QVERIFY(opened);
        QCOMPARE(opened->id, tool);
        QCOMPARE(opened->paths, QStringList{paths.first()});
    }

    void dropOfNoFileOpensNothing() {
        Fixture fx;
        MainWindow w;
        w.show();
        QMimeData mime;
        mime.setText("just text");
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        QVERIFY(!enter.isAccepted());
        QVERIFY(!shown(w));
    }

    void aboutEntryOpensTheRegisteredWindow() {
        Fixture fx;
        MainWindow w;
        w.show();
        QAction* about = w.findChild<QAction*>("mnuAyudaAcerca");
        const auto before = QApplication::topLevelWidgets().size();

        registerDialog("frmAcercaDe", {});
        about->trigger();
        QCOMPARE(QApplication::topLevelWidgets().size(), before);

        QPointer<QWidget> made;
        registerDialog("frmAcercaDe", [&](QWidget* parent) {
            made = new QWidget(parent);
            made->setObjectName("frmAcercaDe");
            return made.data();
        });
        about->trigger();
        QVERIFY(made);
        QVERIFY(made->isWindow());
        QVERIFY(made->isVisible());
        QCOMPARE(made->windowModality(), Qt::ApplicationModal);
        made->close();
        QTRY_VERIFY(!made);  // deleted when closed
        registerDialog("frmAcercaDe", {});
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window.moc"
