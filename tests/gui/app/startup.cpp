#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <algorithm>
#include <cstring>

#include "engine/convert/smd.h"
#include "engine/patch/make_patch.h"
#include "gui/app/md_main.h"
#include "gui/app/shell.h"
#include "gui/common/prompt.h"
#include "gui/common/tool_window.h"
#include "gui/support/scripted.h"
#include "lang_fixture.h"
#include "vantorel/version.h"

using namespace vantorel::gui;
using vantorel::test::LanguageFolder;
using vantorel::test::languageText;
using vantorel::test::ScriptedPrompt;
Q_DECLARE_METATYPE(vantorel::gui::PromptAnswer)

namespace {

// The language chooser as start-up sees it: each call takes the next scripted file, as if
// the user had picked it and pressed OK.
struct ScriptedChooser {
    QStringList picks;
    QList<bool> calls;  // firstRun of each call
    void operator()(QWidget*, bool firstRun) {
        calls << firstRun;
        auto& st = appState();
        const QString pick = picks.isEmpty() ? st.languageFile : picks.takeFirst();
        st.languageChanged = pick != st.languageFile;
        st.languageFile = pick;
        if (st.languageChanged)
            (void)writeSetting(vantorel::settings::section::Idioma, vantorel::settings::key::Idioma, pick);
    }
};

struct Fixture {
    LanguageFolder lang;
    ScriptedPrompt prompt;
    ScriptedChooser chooser;
    QString english, spanish, broken;

    Fixture() {
        english = lang.add("English.idi", languageText("EN"));
        spanish = lang.add("Espanol.idi", languageText("ES"));
        broken = lang.add("Broken.idi", "[Notes]\nnot a language file\n");
    }
    ShellOptions options(const QString& commandLine = {}) {
        ShellOptions o;
        o.commandLine = commandLine;
        o.languageFolder = lang.folder();
        o.lockDir = lang.lockDir();
        o.lockName = QStringLiteral("shell test lock");
        o.splashTimeoutMs = 60000;
        o.chooseLanguage = [this](QWidget* parent, bool firstRun) { chooser(parent, firstRun); };
        return o;
    }
};

QString labelText(QWidget* w, const char* name) {
    auto* l = w ? w->findChild<QLabel*>(name) : nullptr;
    return l ? l->text() : QStringLiteral("<missing>");
}

const QString kVersion = QString::fromLatin1(vantorel::kVersionText);

// A batch long enough to be running when the user quits or switches language: 24 BIN
// images of 4 MiB, each different.
struct LongBatch {
    QTemporaryDir dir;
    QStringList sources;
    QList<QByteArray> images;
    LongBatch() {
        for (int i = 0; i < 24; ++i) {
            QByteArray image(4 << 20, '\0');
            for (qsizetype k = 0; k < image.size(); k += 997) image[k] = static_cast<char>(k * 31 + i);
            images << image;
            sources << dir.filePath(QStringLiteral("big%1.bin").arg(i, 2, 10, QLatin1Char('0')));
            QFile f(sources.last());
            if (f.open(QIODevice::WriteOnly)) f.write(image);
        }
    }
    QString output(int i) const {
        return dir.filePath(QStringLiteral("big%1.smd").arg(i, 2, 10, QLatin1Char('0')));
    }
    // Starts converting in the main window's converter; returns once the first file is
    // written, with the worker held so that a loaded machine cannot finish the batch before
    // the test acts. The test lets it go (resumeWork) just before the user's action.
    bool startIn(mdMain* main) {
        main->openTool(ToolId::Convert);
        ToolWindow* conv = main->tool(ToolId::Convert);
        conv->acceptFiles(sources);
        QTest::mouseClick(conv->findChild<QPushButton*>("cmdBIN2SMD"), Qt::LeftButton);
        QElapsedTimer t;
        t.start();
        // The worker writes without the window's help: no event loop needed while watching.
        while (!QFile::exists(output(0)) && t.elapsed() < 20000) QThread::usleep(200);
        main->pauseWork();
        return QFile::exists(output(0)) && conv->working();
    }
    // Every output is whole and right, the ones not written are absent, nothing lies beside.
    void check() const {
        int written = 0;
        for (int i = 0; i < sources.size(); ++i) {
            QFile f(output(i));
            if (!f.exists()) continue;
            ++written;
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray got = f.readAll();
            const auto& image = images[i];
            auto expected = vantorel::convert::binToSmd(
                std::span(reinterpret_cast<const std::uint8_t*>(image.constData()),
                          static_cast<std::size_t>(image.size())));
            QVERIFY(expected.ok());
            QVERIFY2(got == QByteArray(reinterpret_cast<const char*>(expected.value().data()),
                                       static_cast<qsizetype>(expected.value().size())),
                     qPrintable(output(i)));
        }
        QVERIFY(written >= 1);
        QVERIFY2(written < sources.size(), "the batch ended before it could be interrupted");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(),
                 sources.size() + written);
    }
};

bool lockIsFree(const QString& path) {
    QLockFile probe(path);
    probe.setStaleLockTime(0);
    if (!probe.tryLock(0)) return false;
    probe.unlock();
    return true;
}

// Work of the patcher or the patch maker, big enough to be running when the user acts.
struct LongPatchJob {
    QTemporaryDir dir;
    ToolId tool;
    QStringList inputs;  // the files in the folder before the job
    explicit LongPatchJob(ToolId t) : tool(t) {}

    QString put(const QString& name, const QByteArray& bytes) {
        inputs << name;
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
        return dir.filePath(name);
    }
    static QByteArray image(qsizetype size, quint32 seed) {
        QByteArray b(size, Qt::Uninitialized);
        quint32 x = seed;
        for (qsizetype i = 0; i < size; ++i) {
            x = x * 1664525u + 1013904223u;
            b[i] = char(x >> 24);
        }
        return b;
    }
    // Starts the work in the main window's tool and holds it at its first step, so that a
    // loaded machine cannot finish it before the test acts (resumeWork lets it go).
    bool startIn(mdMain* main) {
        main->openTool(tool);
        ToolWindow* t = main->tool(tool);
        const auto box = [t](const char* name) { return t->findChild<QLineEdit*>(name); };
        const QByteArray original = image(16 << 20, 1);
        QByteArray modified = original;
        for (qsizetype i = 0; i < modified.size(); i += 64) modified[i] = char(~modified[i]);
        box("txOrig")->setText(put("orig.bin", original));
        if (tool == ToolId::Patch) {
            const auto span = [](const QByteArray& b) {
                return std::span(reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size()));
            };
            auto ips = vantorel::patch::makeIps(span(original), span(modified));
            if (!ips) return false;
            box("txIPS")->setText(put("big.ips", QByteArray(reinterpret_cast<const char*>(ips.value().data()),
                                                            qsizetype(ips.value().size()))));
            box("txPatched")->setText(dir.filePath("out.bin"));
            QTest::mouseClick(t->findChild<QPushButton*>("cmdPatch"), Qt::LeftButton);
        } else {
            box("txMod")->setText(put("mod.bin", modified));
            box("txPatchOut")->setText(dir.filePath("out.bps"));
            QTest::mouseClick(t->findChild<QPushButton*>("cmdMake"), Qt::LeftButton);
        }
        main->pauseWork();
        return t->working();
    }
    // Nothing written, nothing left beside the inputs.
    QStringList folder() const {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }
    QStringList inputsSorted() const {
        QStringList names = inputs;
        names.sort();
        return names;
    }
};
}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { appState().reloading = false; }

    // Which file start-up settles on, and how often it had to ask.
    void languageBranches_data() {
        QTest::addColumn<QString>("stored");  // "", "english", "broken" or a missing path
        QTest::addColumn<QStringList>("picks");
        QTest::addColumn<int>("chooserCalls");
        QTest::addColumn<QString>("tag");  // whose texts show; empty: none
        QTest::newRow("valid stored file") << "english" << QStringList{} << 0 << "EN";
        QTest::newRow("first run") << "" << QStringList{"spanish"} << 1 << "ES";
        QTest::newRow("stored file missing: asked once, at the validity test")
            << "/nonexistent/Gone.idi" << QStringList{"english"} << 1 << "EN";
        QTest::newRow("stored file not a language file") << "broken" << QStringList{"spanish"} << 1 << "ES";
        QTest::newRow("first run, invalid pick, then valid")
            << "" << QStringList{"broken", "english"} << 2 << "EN";
        QTest::newRow("invalid in both passes") << "" << QStringList{"broken", "broken"} << 2 << "";
        QTest::newRow("first run, nothing picked") << "" << QStringList{"", ""} << 2 << "";
    }

    void languageBranches() {
        QFETCH(QString, stored);
        QFETCH(QStringList, picks);
        QFETCH(int, chooserCalls);
        QFETCH(QString, tag);
        Fixture fx;
        const auto resolve = [&](const QString& name) {
            return name == "english"   ? fx.english
                   : name == "spanish" ? fx.spanish
                   : name == "broken"  ? fx.broken
                                       : name;
        };
        if (!stored.isEmpty()) fx.lang.storeLanguage(resolve(stored));
        for (const QString& p : picks) fx.chooser.picks << resolve(p);

        Shell shell(fx.options());
        QCOMPARE(shell.startUp(), Shell::StartResult::Started);
        QCOMPARE(fx.chooser.calls.size(), chooserCalls);
        QVERIFY(!fx.chooser.calls.contains(false));  // start-up always asks in first-run mode
        QVERIFY(shell.holdsLock());

        // The splash shows whatever was found, texts empty when nothing usable was picked.
        frmSplash* splash = shell.splash();
        QVERIFY(splash && splash->isVisible());
        const QString prefix = tag.isEmpty() ? QString() : tag + " ";
        QCOMPARE(labelText(splash, "lblCompany"), tag.isEmpty() ? QString() : prefix + "company");
        QCOMPARE(labelText(splash, "lblVersion"),
                 (tag.isEmpty() ? QString() : prefix + "version") + " " + kVersion);
        QCOMPARE(labelText(splash, "lblKey"), tag.isEmpty() ? QString() : prefix + "key");
        QCOMPARE(labelText(splash, "lblProductName"), QStringLiteral("Vantorel"));

        splash->closeWith(13);
        QVERIFY(shell.mainWindow() && shell.mainWindow()->isVisible());
        QCOMPARE(labelText(shell.mainWindow(), "lblStatus"),
                 tag.isEmpty() ? QString() : prefix + "ready " + kVersion);
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    // The real modal chooser, twice: the first file of the list holds no texts, so the
    // validity test opens it once more, still in first-run mode.
    void realChooserOnFirstRun() {
        Fixture fx;
        ShellOptions o = fx.options();
        o.chooseLanguage = nullptr;
        QStringList titles;
        std::function<void()> answer = [&] {
            auto* modal = QApplication::activeModalWidget();
            if (!modal) {
                QTimer::singleShot(10, answer);
                return;
            }
            titles << modal->windowTitle();
            auto* list = modal->findChild<QWidget*>("flLanArch");
            if (titles.size() == 2) QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
            if (titles.size() < 2) QTimer::singleShot(10, answer);
        };
        QTimer::singleShot(0, answer);
        Shell shell(o);
        QCOMPARE(shell.startUp(), Shell::StartResult::Started);
        QCOMPARE(titles, (QStringList{"Vantorel", "Vantorel"}));
        QCOMPARE(fx.lang.storedLanguage(), fx.english);
        QCOMPARE(labelText(shell.splash(), "lblCompany"), QStringLiteral("EN company"));
    }

    void secondInstanceShowsTheNotice() {
        Fixture fx;
        Shell first(fx.options());
        fx.lang.storeLanguage(fx.english);
        QCOMPARE(first.startUp(), Shell::StartResult::Started);
        frmSplash* firstSplash = first.splash();

        // Nothing else happens: no settings read, no chooser, no splash.
        fx.lang.storeLanguage(QString());
        appState().languageFile = "untouched";
        Shell second(fx.options());
        fx.prompt.answers = {PromptAnswer::Ok};
        QCOMPARE(second.startUp(), Shell::StartResult::AlreadyRunning);
        QCOMPARE(appState().languageFile, QStringLiteral("untouched"));
        QVERIFY(fx.chooser.calls.isEmpty());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [&](QWidget* w) { return qobject_cast<frmSplash*>(w) && w != firstSplash; }),
                 0);
        QCOMPARE(fx.prompt.messages.size(), 1);
        const MessageRequest& notice = fx.prompt.messages[0];
        QCOMPARE(notice.icon, PromptIcon::Error);
        QCOMPARE(notice.buttons, PromptButtons::Ok);
        QCOMPARE(notice.title, QStringLiteral("Vantorel"));
        const QStringList lines = notice.text.split('\n');
        QCOMPARE(lines,
                 (QStringList{
                     "Vantorel is already running. Please use the taskbar for switch to that instance",
                     "If the program is locked, then use CTRL+ALT+DEL for kill it, or reboot your PC",
                     "",
                     "Vantorel ya se esta ejecutando. Por favor usa la barra de tareas para cambiar a esa "
                     "instancia",
                     "Si el programa se colgó, usa CTRL+ALT+SUPR para eliminar el proceso, o reinicia tu PC",
                 }));
        QVERIFY(!second.splash());
        QVERIFY(!second.holdsLock());
        QVERIFY(first.holdsLock());
    }

    // Another process holds the lock: refused while it lives, taken over once it is gone.
    void lockOfAnotherProcess() {
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        const QString lockPath = Shell(fx.options()).lockPath();
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {"--hold-lock", lockPath});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));

        Shell refused(fx.options());
        fx.prompt.answers = {PromptAnswer::Ok};
        QCOMPARE(refused.startUp(), Shell::StartResult::AlreadyRunning);
        QCOMPARE(fx.prompt.messages.size(), 1);

        // Killed, it leaves its lock file behind: a stale lock, recovered.
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(QFile::exists(lockPath));
        Shell recovered(fx.options());
        QCOMPARE(recovered.startUp(), Shell::StartResult::Started);
        QVERIFY(recovered.holdsLock());
        QCOMPARE(fx.prompt.messages.size(), 1);
    }

    void lockIsPerUserAndNamed() {
        QVERIFY(Shell().lockPath().contains("Vantorel 68K Mutex"));
        QVERIFY(Shell().lockPath().startsWith(Shell::defaultLockDir()));
    }

    void splashWaysOut_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("mainWindow");
        QTest::newRow("Enter") << "enter" << true;
        QTest::newRow("any key") << "key" << true;
        QTest::newRow("click") << "click" << true;
        QTest::newRow("timer") << "timer" << true;
        QTest::newRow("Esc ends the program") << "esc" << false;
    }

    void splashWaysOut() {
        QFETCH(QString, how);
        QFETCH(bool, mainWindow);
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        ShellOptions o = fx.options();
        if (how == "timer") o.splashTimeoutMs = 50;
        Shell shell(o);
        QSignalSpy finished(&shell, &Shell::finished);
        shell.startUp();
        QPointer<frmSplash> splash = shell.splash();
        if (how == "enter") QTest::keyClick(splash, Qt::Key_Return);
        if (how == "key") QTest::keyClick(splash, Qt::Key_A);
        if (how == "esc") QTest::keyClick(splash, Qt::Key_Escape);
        if (how == "click")
            QTest::mouseClick(splash->findChild<QWidget*>("imgHit"), Qt::LeftButton, {}, {200, 200});
        if (how == "timer") QTRY_VERIFY_WITH_TIMEOUT(shell.mainWindow(), 5000);
        QTRY_VERIFY(!splash);
        QCOMPARE(bool(shell.mainWindow()), mainWindow);
        QCOMPARE(finished.count(), mainWindow ? 0 : 1);
        QCOMPARE(shell.holdsLock(), mainWindow);
        QCOMPARE(lockIsFree(shell.lockPath()), !mainWindow);
        QCOMPARE(fx.prompt.messages.size(), 0);
    }

    void splashWaitsTwoAndAHalfSeconds() {
        frmSplash splash;
        auto* timer = splash.findChild<QTimer*>("timOut");
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 2500);
        QVERIFY(timer->isActive());
    }

    void exitQuestion_data() {
        QTest::addColumn<PromptAnswer>("answer");
        QTest::newRow("No keeps everything") << PromptAnswer::No;
        QTest::newRow("Yes says good-bye") << PromptAnswer::Yes;
    }

    void exitQuestion() {
        QFETCH(PromptAnswer, answer);
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        Shell shell(fx.options("/c"));
        QSignalSpy finished(&shell, &Shell::finished);
        shell.startUp();
        shell.splash()->closeWith(13);
        QPointer<mdMain> main = shell.mainWindow();
        QPointer<ToolWindow> tool = main->tool(ToolId::Convert);
        QVERIFY(tool && tool->isVisible());

        bool visibleAtGoodbye = true;
        fx.prompt.answers = {answer, PromptAnswer::Ok};
        fx.prompt.onMessage = [&](const MessageRequest& r) {
            if (r.text == "EN bye") visibleAtGoodbye = main && main->isVisible();
        };
        main->findChild<QAction*>("mnuArchQuit")->trigger();

        QVERIFY(fx.prompt.messages.size() >= 1);
        const MessageRequest& q = fx.prompt.messages[0];
        QCOMPARE(q.text, QStringLiteral("EN exit?"));
        QCOMPARE(q.icon, PromptIcon::Question);
        QCOMPARE(q.buttons, PromptButtons::YesNo);
        QCOMPARE(q.defaultButton, PromptAnswer::No);
        QCOMPARE(q.title, QStringLiteral("Vantorel"));
        if (answer == PromptAnswer::No) {
            QCOMPARE(fx.prompt.messages.size(), 1);
            QVERIFY(main && main->isVisible());
            QVERIFY(tool && tool->isVisible());
            QVERIFY(shell.holdsLock());
            QCOMPARE(finished.count(), 0);
        } else {
            QCOMPARE(fx.prompt.messages.size(), 2);
            const MessageRequest& bye = fx.prompt.messages[1];
            QCOMPARE(bye.text, QStringLiteral("EN bye"));
            QCOMPARE(bye.icon, PromptIcon::Information);
            QCOMPARE(bye.title, QStringLiteral("Vantorel"));
            QVERIFY(!visibleAtGoodbye);
            QCOMPARE(finished.count(), 1);
            QVERIFY(!shell.holdsLock());
            QVERIFY(lockIsFree(shell.lockPath()));
            QTRY_VERIFY(!main);
            QVERIFY(!tool);
        }
    }

    void languageSwitchRestartsWithoutQuestion() {
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        Shell shell(fx.options("/c"));
        QSignalSpy finished(&shell, &Shell::finished);
        shell.startUp();
        shell.splash()->closeWith(13);
        QPointer<mdMain> oldMain = shell.mainWindow();
        QPointer<ToolWindow> oldTool = oldMain->tool(ToolId::Convert);

        fx.chooser.picks = {fx.spanish};
        oldMain->resumeWork();
        oldMain->findChild<QAction*>("mnuArchIdioma")->trigger();
        QCOMPARE(fx.chooser.calls, QList<bool>{false});  // normal mode from the menu
        QCOMPARE(fx.prompt.messages.size(), 0);          // no exit question, no good-bye
        QCOMPARE(finished.count(), 0);
        QVERIFY(!appState().reloading);
        QVERIFY(!oldMain || oldMain->isHidden());
        QTRY_VERIFY(!oldMain);
        QVERIFY(!oldTool);

        // Start-up ran again: lock held anew, splash and then a fresh main window in Spanish.
        QVERIFY(shell.holdsLock());
        QVERIFY(shell.splash() && shell.splash()->isVisible());
        QCOMPARE(labelText(shell.splash(), "lblCompany"), QStringLiteral("ES company"));
        QVERIFY(!shell.mainWindow());
        shell.splash()->closeWith(13);
        mdMain* fresh = shell.mainWindow();
        QVERIFY(fresh && fresh->isVisible());
        QCOMPARE(labelText(fresh, "lblStatus"), "ES ready " + kVersion);
        QCOMPARE(fresh->findChild<QWidget*>("shConvert")->property("text").toString(),
                 QStringLiteral("ES convert"));
        // The command line is read again by the new window.
        QVERIFY(fresh->tool(ToolId::Convert) && fresh->tool(ToolId::Convert)->isVisible());
    }

    // Quitting while a batch runs: the batch waits while the user answers, then stops at
    // its next block; nothing crashes, and only whole files are left.
    void exitInTheMiddleOfABatch() {
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        LongBatch batch;
        Shell shell(fx.options());
        QSignalSpy finished(&shell, &Shell::finished);
        shell.startUp();
        shell.splash()->closeWith(13);
        QPointer<mdMain> main = shell.mainWindow();
        QVERIFY(batch.startIn(main));
        bool pausedWhileAsking = false;
        fx.prompt.onMessage = [&](const MessageRequest& r) {
            if (r.text != "EN exit?") return;
            // Nothing moves while the question is open.
            const QStringList before = QDir(batch.dir.path()).entryList(QDir::Files | QDir::Hidden);
            QTest::qWait(100);
            pausedWhileAsking = QDir(batch.dir.path()).entryList(QDir::Files | QDir::Hidden) == before;
        };
        fx.prompt.answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        main->resumeWork();
        main->findChild<QAction*>("mnuArchQuit")->trigger();
        QVERIFY(pausedWhileAsking);
        QCOMPARE(fx.prompt.messages.size(), 2);  // the question and the good-bye, nothing else
        QCOMPARE(finished.count(), 1);
        QTRY_VERIFY(!main);
        batch.check();
    }

    // Answering No to the exit question lets the batch go on to the end.
    void exitDeclinedLetsTheBatchFinish() {
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        LongBatch batch;
        Shell shell(fx.options());
        shell.startUp();
        shell.splash()->closeWith(13);
        mdMain* main = shell.mainWindow();
        QVERIFY(batch.startIn(main));
        fx.prompt.answers = {PromptAnswer::No, PromptAnswer::Ok};
        main->resumeWork();
        main->findChild<QAction*>("mnuArchQuit")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!main->working(), 60000);
        QCOMPARE(fx.prompt.messages.size(), 2);  // the question, then "finished"
        for (int i = 0; i < batch.sources.size(); ++i) QVERIFY(QFile::exists(batch.output(i)));
    }

    // A new language while a batch runs: the batch stops first, then the windows are rebuilt.
    void languageSwitchInTheMiddleOfABatch() {
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        LongBatch batch;
        Shell shell(fx.options());
        shell.startUp();
        shell.splash()->closeWith(13);
        QPointer<mdMain> oldMain = shell.mainWindow();
        QVERIFY(batch.startIn(oldMain));
        fx.chooser.picks = {fx.spanish};
        oldMain->resumeWork();
        oldMain->findChild<QAction*>("mnuArchIdioma")->trigger();
        QTRY_VERIFY(!oldMain);
        QVERIFY(shell.splash() && shell.splash()->isVisible());
        QCOMPARE(labelText(shell.splash(), "lblCompany"), QStringLiteral("ES company"));
        shell.splash()->closeWith(13);
        QVERIFY(shell.mainWindow() && shell.mainWindow()->isVisible());
        QCOMPARE(fx.prompt.messages.size(), 0);
        batch.check();
    }

    // Quitting or switching language while the patcher or the patch maker works: the work
    // waits while the user answers, then stops; nothing crashes and no file is left.
    void quitOrSwitchWhileAPatchToolWorks_data() {
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("quit");
        QTest::newRow("patcher, quit") << int(ToolId::Patch) << true;
        QTest::newRow("patcher, new language") << int(ToolId::Patch) << false;
        QTest::newRow("patch maker, quit") << int(ToolId::MakePatch) << true;
        QTest::newRow("patch maker, new language") << int(ToolId::MakePatch) << false;
    }
    void quitOrSwitchWhileAPatchToolWorks() {
        QFETCH(int, tool);
        QFETCH(bool, quit);
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        LongPatchJob job(static_cast<ToolId>(tool));
        Shell shell(fx.options());
        QSignalSpy finished(&shell, &Shell::finished);
        shell.startUp();
        shell.splash()->closeWith(13);
        QPointer<mdMain> main = shell.mainWindow();
        QVERIFY(job.startIn(main));
        if (quit)
            fx.prompt.answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        else
            fx.chooser.picks = {fx.spanish};
        main->resumeWork();
        main->findChild<QAction*>(quit ? "mnuArchQuit" : "mnuArchIdioma")->trigger();
        QTRY_VERIFY(!main);
        QCOMPARE(job.folder(), job.inputsSorted());
        if (quit) {
            QCOMPARE(fx.prompt.messages.size(), 2);  // the question and the good-bye
            QCOMPARE(finished.count(), 1);
        } else {
            QCOMPARE(fx.prompt.messages.size(), 0);
            QVERIFY(shell.splash() && shell.splash()->isVisible());
            shell.splash()->closeWith(13);
            QVERIFY(shell.mainWindow() && shell.mainWindow()->isVisible());
        }
    }

    void languageUnchangedDoesNothing() {
        Fixture fx;
        fx.lang.storeLanguage(fx.english);
        Shell shell(fx.options());
        shell.startUp();
        shell.splash()->closeWith(13);
        mdMain* main = shell.mainWindow();
        fx.chooser.picks = {fx.english};
        main->findChild<QAction*>("mnuArchIdioma")->trigger();
        QCOMPARE(fx.chooser.calls.size(), 1);
        QVERIFY(!shell.splash() || !shell.splash()->isVisible());
        QCOMPARE(shell.mainWindow(), main);
        QVERIFY(main->isVisible());
        QCOMPARE(fx.prompt.messages.size(), 0);
    }
};

// The test program doubles as the "other copy" that holds the lock: run with --hold-lock
// PATH it takes the lock, says so, and waits to be killed.
int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--hold-lock") == 0) {
        QCoreApplication app(argc, argv);
        QLockFile lock(QString::fromLocal8Bit(argv[2]));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) return 1;
        std::puts("locked");
        std::fflush(stdout);
        return app.exec();
    }
    QApplication app(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup.moc"
