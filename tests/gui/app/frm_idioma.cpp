#include "gui/lang/frm_idioma.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "gui/common/prompt.h"
#include "gui/support/scripted.h"
#include "lang_fixture.h"

using vantorel::gui::appState;
using vantorel::gui::frmIdioma;
using vantorel::test::LanguageFolder;
using vantorel::test::languageText;
using vantorel::test::ScriptedPrompt;

namespace {
QString text(QWidget* w, const char* name) {
    if (auto* b = w->findChild<QPushButton*>(name)) return b->text();
    if (auto* l = w->findChild<QLabel*>(name)) return l->text();
    return "<missing " + QString(name) + ">";
}
}  // namespace

class LanguageChooserTest : public QObject {
    Q_OBJECT
private slots:
    void controlsAreThere() {
        LanguageFolder f;
        f.add("Alpha.idi", languageText("A"));
        frmIdioma chooser(false, f.folder());
        for (const char* name : {"flLanArch", "lblMsg", "IDOK", "IDCANCEL", "Line1", "Line2"})
            QVERIFY2(chooser.findChild<QWidget*>(name), name);
    }

    void firstRunMode() {
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        f.add("Beta.idi", languageText("B"));
        f.add("notes.txt", "not listed");
        ScriptedPrompt prompt;
        frmIdioma chooser(true, f.folder());
        chooser.show();

        auto* list = chooser.findChild<QListWidget*>("flLanArch");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Alpha.idi"));
        // The first file is selected and previewed at once.
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(chooser.chosenPath(), alpha);
        QCOMPARE(text(&chooser, "IDOK"), QStringLiteral("A ok"));
        QCOMPARE(text(&chooser, "IDCANCEL"), QStringLiteral("A cancel"));
        QCOMPARE(text(&chooser, "lblMsg"), QStringLiteral("A first"));
        QCOMPARE(chooser.windowTitle(), QStringLiteral("Vantorel"));
        QVERIFY(!chooser.findChild<QPushButton*>("IDCANCEL")->isEnabled());
        QVERIFY(QApplication::focusWidget() == list || !chooser.isActiveWindow());

        // No way out but OK: no close button, and close or Esc leave it open.
        QVERIFY(!(chooser.windowFlags() & Qt::WindowCloseButtonHint));
        chooser.close();
        QVERIFY(chooser.isVisible());
        QTest::keyClick(&chooser, Qt::Key_Escape);
        QVERIFY(chooser.isVisible());
        QCOMPARE(prompt.messages.size(), 0);
    }

    // Moving through the list previews each file's own texts; the title does not follow.
    void previewFollowsTheSelection_data() {
        QTest::addColumn<bool>("firstRun");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("betaMessage");
        QTest::newRow("first run") << true << "Vantorel"
                                   << "B first";
        QTest::newRow("normal") << false << "A caption"
                                << "B change";
    }

    void previewFollowsTheSelection() {
        QFETCH(bool, firstRun);
        QFETCH(QString, title);
        QFETCH(QString, betaMessage);
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        const QString beta = f.add("Beta.idi", languageText("B"));
        appState().languageFile = alpha;
        frmIdioma chooser(firstRun, f.folder());
        chooser.show();
        auto* list = chooser.findChild<QListWidget*>("flLanArch");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(chooser.chosenPath(), beta);
        QCOMPARE(text(&chooser, "IDOK"), QStringLiteral("B ok"));
        QCOMPARE(text(&chooser, "IDCANCEL"), QStringLiteral("B cancel"));
        QCOMPARE(text(&chooser, "lblMsg"), betaMessage);
        QCOMPARE(chooser.windowTitle(), title);
    }

    void normalModeStartsOnTheCurrentLanguage() {
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        f.add("Beta.idi", languageText("B"));
        appState().languageFile = f.add("Gamma.idi", languageText("G"));
        frmIdioma chooser(false, f.folder());
        QVERIFY(chooser.findChild<QPushButton*>("IDCANCEL")->isEnabled());
        QVERIFY(chooser.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(chooser.findChild<QListWidget*>("flLanArch")->currentRow(), 2);
        QCOMPARE(chooser.chosenPath(), appState().languageFile);
        QCOMPARE(text(&chooser, "IDOK"), QStringLiteral("G ok"));
        QCOMPARE(text(&chooser, "lblMsg"), QStringLiteral("G change"));
        QCOMPARE(chooser.windowTitle(), QStringLiteral("G caption"));
        Q_UNUSED(alpha);
    }

    void okWritesOnlyAChange_data() {
        QTest::addColumn<int>("row");  // -1: leave the selection alone
        QTest::addColumn<bool>("viaEnter");
        QTest::addColumn<bool>("changed");
        QTest::newRow("unchanged") << -1 << false << false;
        QTest::newRow("same file picked again") << 0 << false << false;
        QTest::newRow("other file") << 1 << false << true;
        QTest::newRow("other file, Enter in the list") << 1 << true << true;
    }

    void okWritesOnlyAChange() {
        QFETCH(int, row);
        QFETCH(bool, viaEnter);
        QFETCH(bool, changed);
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        const QString beta = f.add("Beta.idi", languageText("B"));
        appState().languageFile = alpha;
        appState().languageChanged = !changed;  // OK must set it either way
        frmIdioma chooser(false, f.folder());
        chooser.show();
        auto* list = chooser.findChild<QListWidget*>("flLanArch");
        if (row >= 0) list->setCurrentRow(row);
        if (viaEnter)
            QTest::keyClick(list, Qt::Key_Return);
        else
            QTest::mouseClick(chooser.findChild<QPushButton*>("IDOK"), Qt::LeftButton);
        QCOMPARE(chooser.result(), int(QDialog::Accepted));
        QVERIFY(!chooser.isVisible());
        QCOMPARE(appState().languageChanged, changed);
        QCOMPARE(appState().languageFile, changed ? beta : alpha);
        QCOMPARE(f.storedLanguage(), changed ? beta : QString());
        QCOMPARE(QFile::exists(f.settingsPath()), changed);
    }

    // A choice the settings file cannot keep (its folder is a regular file, which stops root
    // too) is told once, and the new language is still used for this run.
    void okThatCannotSaveSaysSoOnce() {
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        const QString beta = f.add("Beta.idi", languageText("B"));
        appState().languageFile = alpha;
        QFile blocker(f.settingsPath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        appState().settingsPath = f.settingsPath() + QStringLiteral("/vantorel.ini");
        ScriptedPrompt prompt;
        prompt.answers = {vantorel::gui::PromptAnswer::Ok};
        frmIdioma chooser(false, f.folder());
        chooser.show();
        chooser.findChild<QListWidget*>("flLanArch")->setCurrentRow(1);
        QTest::mouseClick(chooser.findChild<QPushButton*>("IDOK"), Qt::LeftButton);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, vantorel::gui::PromptIcon::Error);
        QCOMPARE(chooser.result(), int(QDialog::Accepted));
        QVERIFY(appState().languageChanged);
        QCOMPARE(appState().languageFile, beta);
    }

    void cancelKeepsEverything() {
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        f.add("Beta.idi", languageText("B"));
        appState().languageFile = alpha;
        appState().languageChanged = true;  // left as it was
        frmIdioma chooser(false, f.folder());
        chooser.show();
        chooser.findChild<QListWidget*>("flLanArch")->setCurrentRow(1);
        QTest::mouseClick(chooser.findChild<QPushButton*>("IDCANCEL"), Qt::LeftButton);
        QCOMPARE(chooser.result(), int(QDialog::Rejected));
        QCOMPARE(chooser.chosenPath(), alpha);
        QCOMPARE(appState().languageFile, alpha);
        QVERIFY(appState().languageChanged);
        QVERIFY(!QFile::exists(f.settingsPath()));
    }

    void emptyFolderLeavesTextsEmpty() {
        LanguageFolder f;
        ScriptedPrompt prompt;
        frmIdioma chooser(true, f.folder());
        QCOMPARE(chooser.findChild<QListWidget*>("flLanArch")->count(), 0);
        QCOMPARE(chooser.chosenPath(), QString());
        QCOMPARE(text(&chooser, "IDOK"), QString());
        QCOMPARE(text(&chooser, "lblMsg"), QString());
        QCOMPARE(prompt.messages.size(), 0);
        QTest::mouseClick(chooser.findChild<QPushButton*>("IDOK"), Qt::LeftButton);
        QVERIFY(!appState().languageChanged);
        QVERIFY(!QFile::exists(f.settingsPath()));
    }

    void unreadableFolderShowsTheFixedError() {
        LanguageFolder f;
        ScriptedPrompt prompt;
        prompt.answers = {vantorel::gui::PromptAnswer::Ok};
        frmIdioma chooser(true, f.folder() + "/no such folder");
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, vantorel::gui::PromptIcon::Error);
        QCOMPARE(prompt.messages[0].title, QStringLiteral("Archivo de idioma invalido - Invalid file"));
        QCOMPARE(prompt.messages[0].text,
                 QStringLiteral("Por favor selecciona otro archivo - Please select another file"));
    }

    // The modal form start-up uses: it returns once OK is pressed.
    void runReturnsWithTheChoice() {
        LanguageFolder f;
        const QString alpha = f.add("Alpha.idi", languageText("A"));
        QTimer::singleShot(0, [] {
            auto* chooser = qobject_cast<frmIdioma*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            QVERIFY(chooser->firstRun());
            QTest::mouseClick(chooser->findChild<QPushButton*>("IDOK"), Qt::LeftButton);
        });
        frmIdioma::run(nullptr, true, f.folder());
        QVERIFY(appState().firstRunMode);
        QCOMPARE(appState().languageFile, alpha);
        QVERIFY(appState().languageChanged);
        QCOMPARE(f.storedLanguage(), alpha);
    }
};

QTEST_MAIN(LanguageChooserTest)
#include "frm_idioma.moc"
