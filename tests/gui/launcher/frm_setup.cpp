#include "gui/launcher/frm_setup.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <memory>

#include "engine/common/settings.h"
#include "gui/common/tool_window.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"

using namespace vantorel;
using namespace vantorel::gui;
using lang::Msg;
using vantorel::test::RecordingHost;
using vantorel::test::ScriptedPrompt;

namespace {

const char* const kPathFields[] = {"txGensPath", "txKegaPath", "txAgesPath",
                                   "txXegaPath", "txDGenPath", "txOtroPath"};
const char* const kOptionControls[] = {"fExtOpt", "optByCommand", "optByKeys", "chkDOSEmu",
                                       "chkCTRL", "chkALT",       "chkShift",  "txKey"};

void put(std::string_view key, const char* value) {
    (void)writeSetting(settings::section::Emuladores, key, QString::fromUtf8(value));
}

// Key names in the order they appear in the settings file, with the section they sit in.
QStringList keysInFileOrder(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList keys;
    QString section;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('['))
            section = line;
        else if (line.contains('='))
            keys << section + line.left(line.indexOf('='));
    }
    return keys;
}

}  // namespace

class SetupWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompt> prompt_;
    std::unique_ptr<RecordingHost> host_;
    std::unique_ptr<ToolWindow> launcher_;
    QString settingsFile_;

    std::unique_ptr<frmSetup> openSetup() {
        auto w = std::make_unique<frmSetup>(launcher_.get());
        w->show();
        QCoreApplication::processEvents();
        return w;
    }
    template <typename T>
    static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        if (!c) qFatal("no control %s", name);
        return c;
    }
    static QWidget* control(QWidget* w, const char* name) { return child<QWidget>(w, name); }
    QByteArray settingsText() const {
        QFile f(settingsFile_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init() {
        settingsFile_ = test::useLanguage();
        prompt_ = std::make_unique<ScriptedPrompt>();
        host_ = std::make_unique<RecordingHost>();
        launcher_ = std::make_unique<ToolWindow>();
    }
    void cleanup() {
        QCOMPARE(prompt_->unexpected, 0);
        launcher_.reset();
        host_.reset();
        prompt_.reset();
    }

    void localizesAllButNamesAndModifiers() {
        auto w = openSetup();
        QCOMPARE(w->windowTitle(), langValue("frmSetup", "Caption"));
        QCOMPARE(child<QLabel>(w.get(), "Label1")->text(), QStringLiteral("Gens"));
        QCOMPARE(child<QLabel>(w.get(), "Label5")->text(), QStringLiteral("DGen"));
        QCOMPARE(child<QCheckBox>(w.get(), "chkCTRL")->text(), QStringLiteral("CTRL+"));
        QCOMPARE(child<QCheckBox>(w.get(), "chkShift")->text(), QStringLiteral("SHIFT+"));
        QCOMPARE(child<QLabel>(w.get(), "lbOtro")->text(), langValue("frmSetup", "lbOtro"));
        QCOMPARE(child<QCheckBox>(w.get(), "chkDOSEmu")->text(), langValue("frmSetup", "chkDOSEmu"));
        QCOMPARE(child<QPushButton>(w.get(), "IDOK")->text(), langValue("frmSetup", "IDOK"));
        QVERIFY(!langValue("frmSetup", "IDOK").isEmpty());
    }

    // Which controls are usable after loading: {otro, ConTeclas, LineaDeComandos} ->
    // byKeys selected, DOS box enabled, modifier boxes enabled, group enabled.
    void enablingRulesAfterLoad_data() {
        QTest::addColumn<QString>("otro");
        QTest::addColumn<QString>("conTeclas");
        QTest::addColumn<QString>("lineaDeComandos");
        QTest::addColumn<bool>("byKeys");
        QTest::addColumn<bool>("dosEnabled");
        QTest::addColumn<bool>("keysEnabled");
        QTest::addColumn<bool>("groupEnabled");
        QTest::newRow("by keys") << "/e/o"
                                 << "-1"
                                 << "0" << true << false << true << true;
        QTest::newRow("by command") << "/e/o"
                                    << "0"
                                    << "-1" << false << true << false << true;
        QTest::newRow("nothing stored") << "/e/o"
                                        << ""
                                        << "" << false << true << false << true;
        QTest::newRow("no other emulator") << ""
                                           << "-1"
                                           << "0" << true << false << false << false;
    }
    void enablingRulesAfterLoad() {
        QFETCH(QString, otro);
        QFETCH(QString, conTeclas);
        QFETCH(QString, lineaDeComandos);
        QFETCH(bool, byKeys);
        QFETCH(bool, dosEnabled);
        QFETCH(bool, keysEnabled);
        QFETCH(bool, groupEnabled);
        put(settings::key::Otro, otro.toUtf8().constData());
        put(settings::key::ConTeclas, conTeclas.toUtf8().constData());
        put(settings::key::LineaDeComandos, lineaDeComandos.toUtf8().constData());
        auto w = openSetup();
        QCOMPARE(child<QRadioButton>(w.get(), "optByKeys")->isChecked(), byKeys);
        QCOMPARE(child<QRadioButton>(w.get(), "optByCommand")->isChecked(), !byKeys);
        QCOMPARE(control(w.get(), "fExtOpt")->isEnabled(), groupEnabled);
        QCOMPARE(control(w.get(), "chkDOSEmu")->isEnabled(), dosEnabled);
        for (const char* name : {"chkCTRL", "chkALT", "chkShift", "txKey"})
            QVERIFY2(control(w.get(), name)->isEnabled() == keysEnabled, name);
    }

    void otherPathAndOptionsDriveTheGroup() {
        put(settings::key::Otro, "/e/other");
        put(settings::key::ConTeclas, "-1");
        put(settings::key::LineaDeComandos, "0");
        auto w = openSetup();
        auto* otro = child<QLineEdit>(w.get(), "txOtroPath");
        otro->selectAll();
        QTest::keyClick(otro, Qt::Key_Backspace);
        for (const char* name : kOptionControls) QVERIFY2(!control(w.get(), name)->isEnabled(), name);
        QTest::keyClicks(otro, "x");
        QVERIFY(control(w.get(), "fExtOpt")->isEnabled());
        QVERIFY(!control(w.get(), "chkDOSEmu")->isEnabled());
        QVERIFY(control(w.get(), "chkCTRL")->isEnabled());
        QTest::mouseClick(child<QRadioButton>(w.get(), "optByCommand"), Qt::LeftButton);
        QVERIFY(control(w.get(), "chkDOSEmu")->isEnabled());
        for (const char* name : {"chkCTRL", "chkALT", "chkShift", "txKey"})
            QVERIFY2(!control(w.get(), name)->isEnabled(), name);
        QTest::mouseClick(child<QRadioButton>(w.get(), "optByKeys"), Qt::LeftButton);
        QVERIFY(!control(w.get(), "chkDOSEmu")->isEnabled());
        QVERIFY(control(w.get(), "txKey")->isEnabled());
    }

    void loadsEveryValue() {
        const char* paths[] = {"/g/gens", "/k/kega", "/a/ages", "/x/xega", "/d/dgen", "/o/other emu"};
        for (int i = 0; i < 6; ++i) put(std::string_view(kPathFields[i] + 2, 4), paths[i]);
        (void)writeSetting(settings::section::ROMs, settings::key::Directorio, "/roms/");
        put(settings::key::OtroEnDOS, "1");
        put(settings::key::Teclas, "011K");
        auto w = openSetup();
        for (int i = 0; i < 6; ++i)
            QCOMPARE(child<QLineEdit>(w.get(), kPathFields[i])->text(), QString(paths[i]));
        QCOMPARE(child<QLineEdit>(w.get(), "txRomPath")->text(), QStringLiteral("/roms/"));
        QVERIFY(child<QCheckBox>(w.get(), "chkDOSEmu")->isChecked());
        QVERIFY(!child<QCheckBox>(w.get(), "chkCTRL")->isChecked());
        QVERIFY(child<QCheckBox>(w.get(), "chkALT")->isChecked());
        QVERIFY(child<QCheckBox>(w.get(), "chkShift")->isChecked());
        QCOMPARE(child<QLineEdit>(w.get(), "txKey")->text(), QStringLiteral("k"));
        QCOMPARE(w->BuildKeyString(), QStringLiteral("011k"));
    }

    void okWritesTheElevenKeysInOrderAndRebuildsTheLauncher() {
        auto w = openSetup();
        const char* paths[] = {"/g/gens", "", "/a/ages", "", "/d/dgen", "/o/other emu"};
        for (int i = 0; i < 6; ++i) child<QLineEdit>(w.get(), kPathFields[i])->setText(paths[i]);
        child<QLineEdit>(w.get(), "txRomPath")->setText(QStringLiteral("/my roms/"));
        QTest::mouseClick(child<QRadioButton>(w.get(), "optByKeys"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(w.get(), "chkCTRL"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(w.get(), "chkShift"), Qt::LeftButton);
        QTest::keyClicks(child<QLineEdit>(w.get(), "txKey"), "O");
        QSignalSpy unloaded(launcher_.get(), &ToolWindow::unloaded);
        QTest::mouseClick(child<QPushButton>(w.get(), "IDOK"), Qt::LeftButton);

        // A fresh file keeps the writing order within each section; ROMs comes second
        // because its only key is written after the six programs.
        QVERIFY(!w->isVisible());
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(host_->openedTools, QList<ToolId>{ToolId::Launcher});
        QVERIFY(host_->launcherPaths.isEmpty());  // no ROM was waiting
        QCOMPARE(keysInFileOrder(settingsFile_),
                 (QStringList{"[Emuladores]Gens", "[Emuladores]Kega", "[Emuladores]Ages", "[Emuladores]Xega",
                              "[Emuladores]DGen", "[Emuladores]Otro", "[Emuladores]OtroEnDOS",
                              "[Emuladores]LineaDeComandos", "[Emuladores]ConTeclas", "[Emuladores]Teclas",
                              "[ROMs]Directorio"}));
        using namespace settings;
        QCOMPARE(settingValue(section::Emuladores, key::Teclas).toStdString(), std::string("101o"));
        QCOMPARE(settingValue(section::Emuladores, key::LineaDeComandos).toStdString(), std::string("0"));
        QCOMPARE(settingValue(section::Emuladores, key::ConTeclas).toStdString(), std::string("-1"));
        QCOMPARE(settingValue(section::Emuladores, key::OtroEnDOS).toStdString(), std::string("0"));
        QCOMPARE(settingValue(section::Emuladores, key::Kega).toStdString(), std::string());
        QCOMPARE(settingValue(section::Emuladores, key::Otro).toStdString(), std::string("/o/other emu"));
        QCOMPARE(settingValue(section::ROMs, key::Directorio).toStdString(), std::string("/my roms/"));
    }

    // A settings file that cannot be written (here its folder is a regular file, which stops
    // root too) is told once, with the system's reason, and the program goes on as after OK.
    void okThatCannotSaveSaysSoOnce() {
        QFile blocker(settingsFile_ + QStringLiteral(".folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString saved = appState().settingsPath;
        appState().settingsPath = blocker.fileName() + QStringLiteral("/vantorel.ini");
        auto w = openSetup();
        child<QLineEdit>(w.get(), "txGensPath")->setText(QStringLiteral("/g/gens"));
        prompt_->answers = {PromptAnswer::Ok};
        QTest::mouseClick(child<QPushButton>(w.get(), "IDOK"), Qt::LeftButton);
        appState().settingsPath = saved;
        blocker.remove();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QVERIFY2(prompt_->messages[0].text.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))),
                 qPrintable(prompt_->messages[0].text));
        QVERIFY(!w->isVisible());
        QCOMPARE(host_->openedTools, QList<ToolId>{ToolId::Launcher});
    }

    void okKeepsTheLaunchersRom() {
        auto* rom = new QLineEdit(launcher_.get());
        rom->setObjectName(QStringLiteral("txRom"));
        rom->setText(QStringLiteral("/roms/waiting (E).bin"));
        auto w = openSetup();
        child<QLineEdit>(w.get(), "txGensPath")->setText(QStringLiteral("/g/gens"));
        QTest::mouseClick(child<QPushButton>(w.get(), "IDOK"), Qt::LeftButton);
        QCOMPARE(host_->openedTools, QList<ToolId>{ToolId::Launcher});
        QCOMPARE(host_->launcherPaths, QStringList{"/roms/waiting (E).bin"});
    }

    void okByCommandStoresTheReverse() {
        put(settings::key::Otro, "/o/x");
        auto w = openSetup();
        QTest::mouseClick(child<QCheckBox>(w.get(), "chkDOSEmu"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w.get(), "IDOK"), Qt::LeftButton);
        using namespace settings;
        QCOMPARE(settingValue(section::Emuladores, key::LineaDeComandos).toStdString(), std::string("-1"));
        QCOMPARE(settingValue(section::Emuladores, key::ConTeclas).toStdString(), std::string("0"));
        QCOMPARE(settingValue(section::Emuladores, key::OtroEnDOS).toStdString(), std::string("1"));
        QCOMPARE(settingValue(section::Emuladores, key::Teclas).toStdString(), std::string("000"));
    }

    // Cancel and Esc write nothing; Cancel with no emulator at all closes the launcher too.
    void cancelAndEscape_data() {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("anyPath");
        QTest::addColumn<bool>("launcherClosed");
        QTest::newRow("cancel, a path set") << false << true << false;
        QTest::newRow("cancel, no path") << false << false << true;
        QTest::newRow("escape, a path set") << true << true << false;
        QTest::newRow("escape, no path") << true << false << false;
    }
    void cancelAndEscape() {
        QFETCH(bool, escape);
        QFETCH(bool, anyPath);
        QFETCH(bool, launcherClosed);
        if (anyPath) put(settings::key::Xega, "/x/xega");
        const QByteArray before = settingsText();
        auto w = openSetup();
        child<QLineEdit>(w.get(), "txRomPath")->setText(QStringLiteral("/changed/"));
        child<QLineEdit>(w.get(), "txGensPath")
            ->setText(anyPath ? QStringLiteral("/changed/gens") : QString());
        QSignalSpy unloaded(launcher_.get(), &ToolWindow::unloaded);
        if (escape)
            QTest::keyClick(child<QLineEdit>(w.get(), "txRomPath"), Qt::Key_Escape);
        else
            QTest::mouseClick(child<QPushButton>(w.get(), "IDCANCEL"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(settingsText(), before);
        QCOMPARE(unloaded.count(), launcherClosed ? 1 : 0);
        QVERIFY(host_->openedTools.isEmpty());
    }

    void romFolderChooser() {
        auto w = openSetup();
        auto* field = child<QLineEdit>(w.get(), "txRomPath");
        field->setText(QStringLiteral("/kept/"));
        prompt_->folderAnswers.push_back(QString());  // cancelled
        QTest::mouseClick(child<QToolButton>(w.get(), "cLookRomDir"), Qt::LeftButton);
        QCOMPARE(field->text(), QStringLiteral("/kept/"));
        QCOMPARE(prompt_->folderTitles, QStringList{msg(Msg::RomFolder)});
        prompt_->folderAnswers.push_back(QStringLiteral("/data/roms"));
        QTest::mouseClick(child<QToolButton>(w.get(), "cLookRomDir"), Qt::LeftButton);
        QCOMPARE(field->text(), QStringLiteral("/data/roms/"));
        prompt_->folderAnswers.push_back(QStringLiteral("/"));
        QTest::mouseClick(child<QToolButton>(w.get(), "cLookRomDir"), Qt::LeftButton);
        QCOMPARE(field->text(), QStringLiteral("/"));
    }

    void namedEmulatorChooser_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");
        QTest::newRow("Gens") << "cLookGens"
                              << "txGensPath"
                              << "GENS";
        QTest::newRow("Kega") << "cLookKega"
                              << "txKegaPath"
                              << "KEGA";
        QTest::newRow("DGen") << "cLookDGen"
                              << "txDGenPath"
                              << "DGEN";
    }
    void namedEmulatorChooser() {
        QFETCH(QString, button);
        QFETCH(QString, field);
        QFETCH(QString, name);
        auto w = openSetup();
        prompt_->fileAnswers.push_back({QStringLiteral("/usr/games/") + name.toLower()});
        QTest::mouseClick(child<QToolButton>(w.get(), button.toLatin1().constData()), Qt::LeftButton);
        auto* tx = child<QLineEdit>(w.get(), field.toLatin1().constData());
        QCOMPARE(tx->text(), QStringLiteral("/usr/games/") + name.toLower());
        QCOMPARE(prompt_->fileRequests.size(), 1);
        const FileRequest& r = prompt_->fileRequests[0];
        QCOMPARE(r.title, msg(Msg::SelExe, "%p", name));
        QCOMPARE(r.initialFilter, 0);
        QCOMPARE(r.filters.size(), 3);
        QCOMPARE(r.filters[0].caption, msg(Msg::MainExe, "%p", name) + " (" + name + ".exe)");
        QCOMPARE(r.filters[0].patterns, name + ".exe;" + name.toLower());
        QCOMPARE(r.filters[1].caption, msg(Msg::EXEs));
        QCOMPARE(r.filters[1].patterns, QStringLiteral("*.exe"));
        QCOMPARE(r.filters[2].caption, msg(Msg::AllFiles));
        QCOMPARE(r.filters[2].patterns, QStringLiteral("*.*"));
        QCOMPARE(qtFilterString(r.filters[2]), msg(Msg::AllFiles) + " (*)");

        prompt_->fileAnswers.push_back({});  // a cancelled program chooser empties the field
        QTest::mouseClick(child<QToolButton>(w.get(), button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(tx->text(), QString());
    }

    void otherEmulatorChooser() {
        auto w = openSetup();
        prompt_->fileAnswers.push_back({QStringLiteral("/opt/blastem/blastem")});
        QTest::mouseClick(child<QToolButton>(w.get(), "cLookOtro"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(w.get(), "txOtroPath")->text(), QStringLiteral("/opt/blastem/blastem"));
        QVERIFY(control(w.get(), "fExtOpt")->isEnabled());
        const FileRequest& r = prompt_->fileRequests[0];
        QCOMPARE(r.title, msg(Msg::SelOtroEmu));
        QCOMPARE(r.filters.size(), 2);
        QCOMPARE(r.filters[0].patterns, QStringLiteral("*.exe"));
        QCOMPARE(r.filters[1].caption, msg(Msg::AllFiles));
        QCOMPARE(r.filters[1].patterns, QStringLiteral("*.*"));
    }
};

QTEST_MAIN(SetupWindowTest)
#include "frm_setup.moc"
