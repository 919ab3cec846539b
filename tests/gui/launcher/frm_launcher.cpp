#include "gui/launcher/frm_launcher.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cstdlib>
#include <memory>

#include "engine/common/settings.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"
#include "platform/emulator_launch.h"

using namespace vantorel;
using namespace vantorel::gui;
using lang::Msg;
using vantorel::test::RecordingHost;
using vantorel::test::ScriptedPrompt;

namespace {

const char* const kButtons[] = {"cmdGens", "cmdKega", "cmdAges", "cmdXega", "cmdDGen", "cmdOtro"};
const char* const kKeys[] = {"Gens", "Kega", "Ages", "Xega", "DGen", "Otro"};

void setEmulator(const char* key, const QString& path) {
    (void)writeSetting(settings::section::Emuladores, key, path);
}

// Waits for a file the stand-in emulator writes: its folder and arguments, zero-separated.
QStringList waitForRecord(const QString& path) {
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(path) && t.elapsed() < 10000) QTest::qWait(50);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList parts = QString::fromUtf8(f.readAll()).split(QChar(0));
    if (!parts.isEmpty() && parts.last().isEmpty()) parts.removeLast();
    return parts;
}

}  // namespace

class LauncherWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompt> prompt_;
    std::unique_ptr<RecordingHost> host_;
    std::unique_ptr<QTemporaryDir> dir_;

    std::unique_ptr<frmLauncher> openLauncher() {
        auto w = std::make_unique<frmLauncher>();
        w->show();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return w;
    }
    template <typename T>
    static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        if (!c) qFatal("no control %s", name);
        return c;
    }
    QString installRecorder() {
        const QString emuDir = dir_->filePath(QStringLiteral("emu dir"));
        QDir().mkpath(emuDir);
        const QString to = emuDir + QStringLiteral("/recorder");
        QFile::remove(to);
        if (!QFile::copy(QStringLiteral(VANTOREL_BIN_DIR "/e2e_record_args"), to))
            qFatal("no e2e_record_args");
        QFile::setPermissions(to, QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return to;
    }
    void closeStrayDialogs() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmSetup")) w->close();
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        test::useLanguage();
        prompt_ = std::make_unique<ScriptedPrompt>();
        host_ = std::make_unique<RecordingHost>();
        dir_ = std::make_unique<QTemporaryDir>();
    }
    void cleanup() {
        closeStrayDialogs();
        QCOMPARE(prompt_->unexpected, 0);
        host_.reset();
        prompt_.reset();
    }

    void onlyOtherEmulatorSet() {
        setEmulator("Otro", QStringLiteral("/opt/emus/my emu"));
        auto w = openLauncher();
        for (int i = 0; i < 5; ++i) {
            auto* b = child<QPushButton>(w.get(), kButtons[i]);
            QVERIFY2(!b->isEnabled(), kButtons[i]);
            QCOMPARE(b->text(), QString::fromLatin1(kKeys[i]));  // the names stay
        }
        auto* otro = child<QPushButton>(w.get(), "cmdOtro");
        QVERIFY(otro->isEnabled());
        QCOMPARE(otro->text(), langValue("frmLauncher", "cmdOtro"));
        auto* label = child<QLabel>(w.get(), "lblExternal");
        QVERIFY(label->isVisible());
        QCOMPARE(label->text(), langValue("frmLauncher", "lblExternal") + "/opt/emus/my emu");
        QCOMPARE(w->windowTitle(), langValue("frmLauncher", "Caption"));
        QVERIFY(child<QLineEdit>(w.get(), "txRom")->isEnabled());
        QVERIFY(prompt_->messages.isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void eachButtonFollowsItsSetting_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 6; ++i) QTest::newRow(kKeys[i]) << i;
    }
    void eachButtonFollowsItsSetting() {
        QFETCH(int, index);
        setEmulator(kKeys[index], QStringLiteral("/usr/games/x"));
        auto w = openLauncher();
        for (int i = 0; i < 6; ++i)
            QCOMPARE(child<QPushButton>(w.get(), kButtons[i])->isEnabled(), i == index);
        QCOMPARE(child<QLabel>(w.get(), "lblExternal")->isVisible(), index == 5);
        QCOMPARE(child<QPushButton>(w.get(), kButtons[index])->property("Tag").toString(), "/usr/games/x");
    }

    void noEmulatorSetWarnsThenOpensSetup() {
        QString modalAtWarning = QStringLiteral("none");
        prompt_->answers.push_back(PromptAnswer::Ok);
        prompt_->onMessage = [&](const MessageRequest&) {
            modalAtWarning = QApplication::activeModalWidget()
                                 ? QApplication::activeModalWidget()->objectName()
                                 : QString();
        };
        auto w = openLauncher();
        QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
        QCOMPARE(prompt_->messages.size(), 1);
        const MessageRequest& m = prompt_->messages.first();
        QCOMPARE(m.icon, PromptIcon::Warning);
        QCOMPARE(m.text, msg(Msg::NoIni1) + "\r\n" + msg(Msg::NoIni2));
        QCOMPARE(m.title, w->windowTitle());
        QVERIFY(!msg(Msg::NoIni1).isEmpty());
        QVERIFY(modalAtWarning.isEmpty());  // the warning comes first, then the setup window
        QCOMPARE(QApplication::activeModalWidget()->objectName(), QStringLiteral("frmSetup"));
        QVERIFY(!child<QGroupBox>(w.get(), "fRom")->isEnabled());
        QVERIFY(!child<QToolButton>(w.get(), "cmdBrowse")->isEnabled());
        QVERIFY(!child<QLineEdit>(w.get(), "txRom")->isEnabled());
        for (const char* b : kButtons) QVERIFY(!child<QPushButton>(w.get(), b)->isEnabled());

        // Cancel with every path still empty closes the launcher as well.
        QSignalSpy unloaded(w.get(), &ToolWindow::unloaded);
        QTest::mouseClick(QApplication::activeModalWidget()->findChild<QPushButton*>("IDCANCEL"),
                          Qt::LeftButton);
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(host_->statusTexts.last(), appMessage());
        QCoreApplication::processEvents();
        QCOMPARE(prompt_->messages.size(), 1);  // warned once
        w.release();                            // deleted by its own close
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void cancelledBrowseEmptiesThePath() {
        setEmulator("Gens", QStringLiteral("/usr/games/gens"));
        auto w = openLauncher();
        auto* tx = child<QLineEdit>(w.get(), "txRom");
        tx->setText(QStringLiteral("/roms/old.bin"));
        prompt_->fileAnswers.push_back({});
        QTest::mouseClick(child<QToolButton>(w.get(), "cmdBrowse"), Qt::LeftButton);
        QCOMPARE(tx->text(), QString());
        QVERIFY(host_->statusTexts.isEmpty());
        QCOMPARE(prompt_->fileRequests.size(), 1);
        QCOMPARE(prompt_->fileRequests[0].initialFilter, 0);
        QCOMPARE(prompt_->fileRequests[0].mode, FileRequest::Mode::Open);
        QCOMPARE(prompt_->fileRequests[0].title, msg(Msg::SelRomBox));

        prompt_->fileAnswers.push_back({QStringLiteral("/roms/Sonic (W) [!].bin")});
        QTest::mouseClick(child<QToolButton>(w.get(), "cmdBrowse"), Qt::LeftButton);
        QCOMPARE(tx->text(), QStringLiteral("/roms/Sonic (W) [!].bin"));
        QCOMPARE(host_->statusTexts, QStringList{msg(Msg::ReadyToRun, "%r", "/roms/Sonic (W) [!].bin")});
    }

    void takesTheCommandLinesPath() {
        setEmulator("Gens", QStringLiteral("/usr/games/gens"));
        std::unique_ptr<ToolWindow> w(new frmLauncher);
        QCOMPARE(w->objectName(), QStringLiteral("frmLauncher"));
        w->takePath(QStringLiteral("/roms/from the command line.bin"));
        QCOMPARE(child<QLineEdit>(w.get(), "txRom")->text(),
                 QStringLiteral("/roms/from the command line.bin"));
    }

    void takePathFillsTheRomField() {
        setEmulator("DGen", QStringLiteral("/usr/games/dgen"));
        auto w = openLauncher();
        w->takePath(QStringLiteral("/roms/a b/x.smd"));
        QCOMPARE(child<QLineEdit>(w.get(), "txRom")->text(), QStringLiteral("/roms/a b/x.smd"));
        QVERIFY(child<QPushButton>(w.get(), "cmdDGen")->isEnabled());
    }

    void droppedFileBecomesTheRom() {
        setEmulator("DGen", QStringLiteral("/usr/games/dgen"));
        auto w = openLauncher();
        const QString rom = dir_->filePath(QStringLiteral("dropped game.bin"));
        QFile f(rom);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(rom)});
        auto* tx = child<QLineEdit>(w.get(), "txRom");
        // On the path box as on the window: the file is taken, its address is not pasted.
        for (QWidget* target : {static_cast<QWidget*>(tx), static_cast<QWidget*>(w.get())}) {
            tx->clear();
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            QCOMPARE(tx->text(), rom);
            QVERIFY(host_->statusTexts.last().contains(rom));
        }
    }

    void closeButtonUnloadsWithTheAppMessage() {
        setEmulator("Gens", QStringLiteral("/usr/games/gens"));
        auto* w = openLauncher().release();
        QSignalSpy unloaded(w, &ToolWindow::unloaded);
        QPointer<frmLauncher> guard(w);
        QTest::mouseClick(child<QPushButton>(w, "cmdExit"), Qt::LeftButton);
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(host_->statusTexts, QStringList{appMessage()});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void launchesByCommandWithThePathAsOneArgument_data() {
        QTest::addColumn<QString>("rom");
        QTest::newRow("blanks and marks") << QStringLiteral("/roms/Sonic 2 (W) [!].bin");
        QTest::newRow("shell characters") << QStringLiteral("/roms/$x;y 'q' \"d\" `c`.bin");
        QTest::newRow("leading dash") << QStringLiteral("-fullscreen.bin");
        QTest::newRow("none") << QString();
    }
    void launchesByCommandWithThePathAsOneArgument() {
        QFETCH(QString, rom);
        const QString emu = installRecorder();
        const QString record = dir_->filePath(QStringLiteral("record"));
        qputenv("VANTOREL_RECORD_FILE", record.toUtf8());
        setEmulator("Ages", emu);
        auto w = openLauncher();
        child<QLineEdit>(w.get(), "txRom")->setText(rom);
        QTest::mouseClick(child<QPushButton>(w.get(), "cmdAges"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->working(), 15000);
        const QStringList got = waitForRecord(record);
        QStringList expected{QDir(dir_->filePath("emu dir")).canonicalPath()};
        if (!rom.isEmpty()) expected << rom;
        QCOMPARE(got, expected);
        QCOMPARE(host_->statusTexts.size(), 1);
        QCOMPARE(host_->statusTexts[0],
                 rom.isEmpty() ? msg(Msg::RunApp, "%p", emu) : msg(Msg::RunRom, "%p", emu, "%r", rom));
        QVERIFY(prompt_->messages.isEmpty());
    }

    void missingProgramReports1002() {
        const QString emu = dir_->filePath(QStringLiteral("gone/gens"));
        setEmulator("Gens", emu);
        auto w = openLauncher();
        child<QLineEdit>(w.get(), "txRom")->setText(QStringLiteral("/roms/x.bin"));
        prompt_->answers.push_back(PromptAnswer::Ok);
        QTest::mouseClick(child<QPushButton>(w.get(), "cmdGens"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->working(), 15000);
        QCOMPARE(prompt_->messages.size(), 1);
        const MessageRequest& m = prompt_->messages[0];
        QCOMPARE(m.icon, PromptIcon::Error);
        QCOMPARE(m.title, QStringLiteral("No such file or directory"));
        QCOMPARE(m.text, msg(Msg::NoRunMsg, "%p", emu));
        QCOMPARE(host_->statusTexts,
                 QStringList{msg(Msg::NoRunMsg, "%p", emu) + ": No such file or directory (1002)"});
    }

    void byKeysWithoutDisplayIsAFailure() {
        const QString emu = installRecorder();
        const QString record = dir_->filePath(QStringLiteral("record"));
        qputenv("VANTOREL_RECORD_FILE", record.toUtf8());
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        setEmulator("Kega", emu);
        auto w = openLauncher();
        child<QLineEdit>(w.get(), "txRom")->setText(QStringLiteral("/roms/x.bin"));
        prompt_->answers.push_back(PromptAnswer::Ok);
        QTest::mouseClick(child<QPushButton>(w.get(), "cmdKega"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->working(), 15000);
        if (!display.isEmpty()) qputenv("DISPLAY", display);
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QVERIFY(!prompt_->messages[0].title.isEmpty());
        QCOMPARE(host_->statusTexts.size(), 1);
        QVERIFY2(host_->statusTexts[0].endsWith(" (2002)") || host_->statusTexts[0].endsWith(" (2006)"),
                 qPrintable(host_->statusTexts[0]));
        QVERIFY(!host_->statusTexts[0].startsWith(msg(Msg::RunRom, "%p", emu, "%r", "/roms/x.bin")));
        QTest::qWait(200);
        QVERIFY(!QFile::exists(record));  // nothing started that could not be driven
    }

    // A by-keys launch waits up to ten seconds for the emulator's window. The launcher stays
    // alive meanwhile, takes no second launch, and closing it ends the wait at once.
    void closingTheLauncherEndsTheWaitForAWindow() {
        if (!platform::keyTypingAvailable()) QSKIP("no X11 display: run under xvfb-run");
        const QString emu = installRecorder();  // starts and ends without a window
        qputenv("VANTOREL_RECORD_FILE", dir_->filePath(QStringLiteral("record")).toUtf8());
        setEmulator("Kega", emu);
        auto w = openLauncher();
        child<QLineEdit>(w.get(), "txRom")->setText(QStringLiteral("/roms/x.bin"));
        QTest::mouseClick(child<QPushButton>(w.get(), "cmdKega"), Qt::LeftButton);
        QVERIFY(w->working());
        QVERIFY(!child<QWidget>(w.get(), "fEmus")->isEnabled());
        QTest::qWait(300);
        QVERIFY(w->working());
        QElapsedTimer closing;
        closing.start();
        w->close();
        QVERIFY(!w->working());
        QVERIFY2(closing.elapsed() < 2000, "closing waited for the emulator's window");
        QCOMPARE(prompt_->messages.size(), 0);  // a stop is no failure to report
        QCOMPARE(host_->statusTexts, QStringList{appMessage()});
    }

    void otherEmulatorFollowsItsModeAtEachClick() {
        const QString emu = installRecorder();
        const QString record = dir_->filePath(QStringLiteral("record"));
        qputenv("VANTOREL_RECORD_FILE", record.toUtf8());
        setEmulator("Otro", emu);
        using namespace settings;
        (void)writeSetting(section::Emuladores, key::ConTeclas, QStringLiteral("0"));
        (void)writeSetting(section::Emuladores, key::LineaDeComandos, QStringLiteral("0"));
        auto w = openLauncher();
        const QString rom = dir_->filePath(QStringLiteral("My Game.bin"));
        child<QLineEdit>(w.get(), "txRom")->setText(rom);
        QTest::mouseClick(child<QPushButton>(w.get(), "cmdOtro"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->working(), 15000);
        QVERIFY(host_->statusTexts.isEmpty());  // neither mode: nothing happens
        QTest::qWait(200);
        QVERIFY(!QFile::exists(record));

        // Changed after the launcher loaded: read at the click. The DOS form of a missing
        // file is empty, so the emulator gets no argument, and the status line says so.
        (void)writeSetting(section::Emuladores, key::LineaDeComandos, QStringLiteral("-1"));
        (void)writeSetting(section::Emuladores, key::OtroEnDOS, QStringLiteral("1"));
        QTest::mouseClick(child<QPushButton>(w.get(), "cmdOtro"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->working(), 15000);
        QCOMPARE(waitForRecord(record), QStringList{QDir(dir_->filePath("emu dir")).canonicalPath()});
        QCOMPARE(host_->statusTexts, QStringList{msg(Msg::RunApp, "%p", emu)});
    }
};

QTEST_MAIN(LauncherWindowTest)
#include "frm_launcher.moc"
