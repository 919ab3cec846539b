// The keyboard visits each window's controls in the order the eye reads them.
#include <QAbstractButton>
#include <QLineEdit>
#include <QtTest>

#include "engine/common/settings.h"
#include "gui/convert/frm_rom_conv.h"
#include "gui/lang/app_state.h"
#include "gui/launcher/frm_launcher.h"
#include "gui/launcher/frm_setup.h"
#include "gui/patch/frm_ips_patcher.h"
#include "gui/rom/frm_head_edit.h"
#include "gui/support/scripted.h"

using namespace vantorel;
using namespace vantorel::gui;

namespace {

// The names of the controls Tab reaches, from the window round to where it began; members
// of an indexed group carry their index ("chkDev3").
QStringList tabOrder(QWidget* window) {
    QStringList names;
    QWidget* w = window->nextInFocusChain();
    for (int guard = 0; w != window && guard < 500; ++guard, w = w->nextInFocusChain()) {
        if (!window->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window) ||
            !w->isEnabled())
            continue;
        QString name = w->objectName();
        const QVariant index = w->property("index");
        if (index.isValid()) name += QString::number(index.toInt());
        names << name;
    }
    return names;
}

QStringList range(const QString& name, int count) {
    QStringList out;
    for (int i = 0; i < count; ++i) out << name + QString::number(i);
    return out;
}

}  // namespace

class TabOrderTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        test::useLanguage();
        (void)writeSetting(settings::section::Emuladores, settings::key::Gens, "/g/gens");
    }

    void headerEditor() {
        test::ScriptedPrompt prompt;
        QTemporaryDir dir;
        QByteArray image(0x300, '\0');
        image.replace(0x100, 4, "SEGA");
        QFile f(dir.filePath("g.bin"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(image);
        f.close();
        frmHeadEdit editor;
        editor.show();
        prompt.answers = {PromptAnswer::No};  // its checksum is wrong: decline
        editor.LoadFromCmd(dir.filePath("g.bin"));
        QTRY_VERIFY(!editor.busy());
        const QStringList expected =
            QStringList{"cmdBrowse",  "txDestination", "txCopyRight",  "txDomestic",   "txOverseas",
                        "tcMainCode", "txComment",     "chkLicModel0", "chkLicModel1", "chkJapNTSC",
                        "chkJapPAL",  "chkOVNTSC",     "chkOVPAL"} +
            range("chkDev", 14) + QStringList{"cmdRec", "cmdRecComo", "cmdPlay", "cmdExit"};
        QCOMPARE(tabOrder(&editor), expected);
    }

    void converter() {
        frmRomConv conv;
        conv.show();
        QCOMPARE(tabOrder(&conv), (QStringList{"cmdSelOrgSMD", "lsOrgSmd", "cmdSelDestBIN", "lsDstBin",
                                               "cmdSMD2BIN", "cmdSelOrgBIN", "lsOrgBin", "cmdSelDestSMD",
                                               "lsDstSmd", "cmdBIN2SMD", "cmdRunOut"}));
    }

    void patcher() {
        frmIPSPatcher patcher;
        patcher.show();
        QCOMPARE(tabOrder(&patcher), (QStringList{"txOrig", "cmdOrig", "txIPS", "cmdIPS", "txPatched",
                                                  "cmdPatched", "chkData", "cmdPatch", "cmdClose"}));
    }

    void launcher() {
        frmLauncher launcher;
        launcher.show();
        QCOMPARE(tabOrder(&launcher), (QStringList{"txRom", "cmdBrowse", "cmdGens", "cmdSetup", "cmdExit"}));
    }

    void setup() {
        QWidget owner;
        frmLauncher launcher;
        frmSetup setup(&launcher, &owner);
        setup.show();
        QStringList expected;
        for (const char* emu :
             {"RomPath", "GensPath", "KegaPath", "AgesPath", "XegaPath", "DGenPath", "OtroPath"})
            expected << QStringLiteral("tx") + emu;
        const QStringList order = tabOrder(&setup);
        QStringList fields;
        for (const QString& n : order)
            if (n.startsWith("tx") && n.endsWith("Path")) fields << n;
        QCOMPARE(fields, expected);
        // Each field's chooser button follows it at once.
        for (const QString& field : expected) {
            const QString look = field == "txRomPath" ? QStringLiteral("cLookRomDir")
                                                      : "cLook" + field.mid(2, field.size() - 6);
            QCOMPARE(order.indexOf(look), order.indexOf(field) + 1);
        }
        QCOMPARE(order.mid(order.size() - 2), (QStringList{"IDOK", "IDCANCEL"}));
    }
};

QTEST_MAIN(TabOrderTest)
#include "tab_order.moc"
