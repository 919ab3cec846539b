// The patch maker window before it makes anything: its texts, its refusals, the format and
// the names that follow each other, its choosers and drops.
#include <QtTest>

#include "gui/patch/make_patch_fixture.h"

using namespace vantorel;
using namespace vantorel::test;

class MakePatchTest : public QObject, protected MakePatchFixture {
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void localises_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "English";
        QTest::newRow("Espanol") << "Espanol";
    }
    void localises() {
        QFETCH(QString, language);
        test::useLanguage(language);
        newWindow();
        QCOMPARE(window_->windowTitle(), gui::langValue(kMakeSection, "Caption"));
        QVERIFY(!window_->windowTitle().isEmpty());
        for (const char* name : {"cmdMake", "cmdClose", "optIps", "optBps"}) {
            auto* b = child<QAbstractButton>(name);
            QCOMPARE(b->text(), gui::langValue(kMakeSection, name));
            QVERIFY(b->text().contains('&'));
        }
        for (const char* name : {"lblOrig", "lblMod", "lblPatchOut", "lblInfo"}) {
            QCOMPARE(child<QLabel>(name)->text(), gui::langValue(kMakeSection, name));
            QVERIFY(!child<QLabel>(name)->text().isEmpty());
        }
        for (const char* name : {"fMake", "fFormat"}) {
            QCOMPARE(child<QGroupBox>(name)->title(), gui::langValue(kMakeSection, name));
            QVERIFY(!child<QGroupBox>(name)->title().isEmpty());
        }
        QVERIFY(child<QLabel>("lblResult")->text().isEmpty());
        QVERIFY(!child<QLabel>("Picture1")->pixmap().isNull());
        QVERIFY(child<QRadioButton>("optBps")->isChecked());
        // The label's letter takes the keyboard to its box.
        QCOMPARE(child<QLabel>("lblMod")->buddy(), child<QWidget>("txMod"));
    }

    void missingPaths_data() {
        QTest::addColumn<bool>("orig");
        QTest::addColumn<QString>("mod");
        QTest::addColumn<bool>("out");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("all empty") << false << "" << false << int(Msg::SelOrigMkErr) << "cmdOrig";
        QTest::newRow("only the others") << false << "mod.bin" << true << int(Msg::SelOrigMkErr) << "cmdOrig";
        QTest::newRow("no modified") << true << "" << true << int(Msg::SelModMkErr) << "cmdMod";
        QTest::newRow("blank modified") << true << "   " << true << int(Msg::SelModMkErr) << "cmdMod";
        QTest::newRow("no patch") << true << "mod.bin" << false << int(Msg::SelPatchMkErr) << "cmdPatchOut";
    }
    void missingPaths() {
        QFETCH(bool, orig);
        QFETCH(QString, mod);
        QFETCH(bool, out);
        QFETCH(int, message);
        QFETCH(QString, focus);
        const QString origFile = put("orig.bin", noise(1000, 1));
        put("mod.bin", noise(1000, 2));
        fill(orig ? origFile : QString(), mod.trimmed().isEmpty() ? mod : path(mod),
             out ? path("out.bps") : QString());
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg(message)));
        QVERIFY(!prompt_->messages[0].text.isEmpty());
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QCOMPARE(window_->focusWidget(), child<QWidget>(focus.toLatin1().constData()));
        QVERIFY(host_->statusTexts.isEmpty());
        QVERIFY(host_->progressVisible.isEmpty());
        QCOMPARE(folder(), (QStringList{"mod.bin", "orig.bin"}));
    }

    void formatFollowsTypedName_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("after");
        const int ips = int(PatchFormat::Ips), bps = int(PatchFormat::Bps);
        QTest::newRow(".ips") << bps << "hack.ips" << ips;
        QTest::newRow(".BPS") << ips << "HACK.BPS" << bps;
        QTest::newRow(".bps kept") << bps << "hack.bps" << bps;
        QTest::newRow("other name, IPS") << ips << "hack.patch" << ips;
        QTest::newRow("other name, BPS") << bps << "hack.ips.old" << bps;
    }
    void formatFollowsTypedName() {
        QFETCH(int, before);
        QFETCH(QString, typed);
        QFETCH(int, after);
        choose(PatchFormat(before));
        auto* box = child<QLineEdit>("txPatchOut");
        box->setFocus();
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), typed);  // the name is the user's; only the option follows it
        QCOMPARE(child<QRadioButton>("optIps")->isChecked(), after == int(PatchFormat::Ips));
        QCOMPARE(child<QRadioButton>("optBps")->isChecked(), after == int(PatchFormat::Bps));
    }

    void nameFollowsFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("switchTo");
        QTest::addColumn<QString>("renamed");
        const int ips = int(PatchFormat::Ips), bps = int(PatchFormat::Bps);
        QTest::newRow("ips to bps") << "/p/hack.ips" << bps << "/p/hack.bps";
        QTest::newRow("bps to ips") << "/p/hack.bps" << ips << "/p/hack.ips";
        QTest::newRow("upper case kept") << "/p/HACK.IPS" << bps << "/p/HACK.BPS";
        QTest::newRow("other extension kept") << "/p/hack.patch" << ips << "/p/hack.patch";
        QTest::newRow("no extension kept") << "/p/hack" << ips << "/p/hack";
        QTest::newRow("folder named .ips") << "/p.ips/hack" << bps << "/p.ips/hack";
        QTest::newRow("empty") << "" << ips << "";
    }
    void nameFollowsFormat() {
        QFETCH(QString, name);
        QFETCH(int, switchTo);
        QFETCH(QString, renamed);
        choose(switchTo == int(PatchFormat::Ips) ? PatchFormat::Bps : PatchFormat::Ips);
        child<QLineEdit>("txPatchOut")->setText(name);
        choose(PatchFormat(switchTo));
        QCOMPARE(child<QLineEdit>("txPatchOut")->text(), renamed);
    }

    void choosers() {
        using M = gui::FileRequest::Mode;
        // The images: open choosers; the modified one names the patch beside it.
        prompt_->fileAnswers = {{path("orig.bin")}, {path("hack.md")}};
        child<QToolButton>("cmdOrig")->click();
        child<QToolButton>("cmdMod")->click();
        QCOMPARE(child<QLineEdit>("txOrig")->text(), path("orig.bin"));
        QCOMPARE(child<QLineEdit>("txMod")->text(), path("hack.md"));
        QCOMPARE(child<QLineEdit>("txPatchOut")->text(), path("hack.bps"));
        QCOMPARE(prompt_->fileRequests.size(), 2);
        QCOMPARE(prompt_->fileRequests[0].mode, M::Open);
        QVERIFY(prompt_->fileRequests[0].mustExist);

        // The patch: a save chooser whose first filter is the format chosen.
        auto* save = child<QToolButton>("cmdPatchOut");
        prompt_->fileAnswers = {{path("mine.ips")}};
        save->click();
        const gui::FileRequest& r = prompt_->fileRequests[2];
        QCOMPARE(r.mode, M::Save);
        QCOMPARE(r.title, gui::msg(Msg::SavePatchAs));
        QVERIFY(!r.title.isEmpty());
        QStringList patterns;
        for (const auto& f : r.filters) patterns << f.patterns;
        QCOMPARE(patterns, (QStringList{"*.ips", "*.bps", "*.*"}));
        QCOMPARE(r.filters[1].caption, gui::msg(Msg::BpsPatches));
        QCOMPARE(r.initialFilter, 1);
        QVERIFY(!r.mustExist);
        QCOMPARE(child<QLineEdit>("txPatchOut")->text(), path("mine.ips"));
        QVERIFY(child<QRadioButton>("optIps")->isChecked());

        // Cancelled: the name stays; the filter now starts at IPS.
        prompt_->fileAnswers = {{}};
        save->click();
        QCOMPARE(prompt_->fileRequests[3].initialFilter, 0);
        QCOMPARE(child<QLineEdit>("txPatchOut")->text(), path("mine.ips"));
        prompt_->fileAnswers = {{}};
        child<QToolButton>("cmdOrig")->click();
        QCOMPARE(child<QLineEdit>("txOrig")->text(), path("orig.bin"));
    }

    void damagedArchiveIsSaidBeforeMaking() {
        const QString bad = put("bad.zip", QByteArray("PK\x03\x04", 4) + noise(200, 5));
        fill(bad, put("mod.bin", noise(300, 6)), path("out.bps"));
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].title, bad);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QVERIFY(host_->statusTexts.isEmpty());
        QVERIFY(!QFile::exists(path("out.bps")));
    }

    void patchNeverReplacesAnImage_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("the original") << "orig.bin";
        QTest::newRow("the modified") << "mod.bin";
        QTest::newRow("a link to the original") << "link.bps";
    }
    void patchNeverReplacesAnImage() {
        QFETCH(QString, target);
        const QByteArray orig = noise(3000, 1), mod = noise(3000, 2);
        fill(put("orig.bin", orig), put("mod.bin", mod), path(target));
        QVERIFY(QFile::link(path("orig.bin"), path("link.bps")));
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::PatchOverInput));
        QVERIFY(!gui::msg(Msg::PatchOverInput).isEmpty());
        QCOMPARE(window_->focusWidget(), child<QWidget>("cmdPatchOut"));
        QCOMPARE(contents(path("orig.bin")), orig);
        QCOMPARE(contents(path("mod.bin")), mod);
        QVERIFY(host_->statusTexts.isEmpty());
    }

    void existingPatchIsReplacedOnlyWhenAllowed_data() {
        QTest::addColumn<bool>("allow");
        QTest::newRow("kept") << false;
        QTest::newRow("replaced") << true;
    }
    void existingPatchIsReplacedOnlyWhenAllowed() {
        QFETCH(bool, allow);
        const QByteArray orig = noise(3000, 1), mod = noise(3000, 2);
        const QString out = put("out.bps", "an older patch");
        fill(put("orig.bin", orig), put("mod.bin", mod), out);
        prompt_->answers.push_back(allow ? PromptAnswer::Yes : PromptAnswer::No);
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::OverwriteMSG));
        QCOMPARE(prompt_->messages[0].title, out);
        QCOMPARE(prompt_->messages[0].buttons, gui::PromptButtons::YesNo);
        if (allow)
            verifyPatch(out, PatchFormat::Bps, orig, mod);
        else
            QCOMPARE(contents(out), QByteArray("an older patch"));
        QCOMPARE(host_->statusTexts.isEmpty(), !allow);
    }

    void drops_data() {
        QTest::addColumn<QStringList>("before");  // original, modified, patch
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first fills the original")
            << QStringList{"", "", ""} << QStringList{"/r/game.bin"} << QStringList{"/r/game.bin", "", ""};
        QTest::newRow("next fills the modified")
            << QStringList{"/r/game.bin", "", ""} << QStringList{"/r/hack.bin"}
            << QStringList{"/r/game.bin", "/r/hack.bin", "/r/hack.bps"};
        QTest::newRow("a newer modified")
            << QStringList{"/r/game.bin", "/r/hack.bin", "/p/mine.ips"} << QStringList{"/r/hack2.smd"}
            << QStringList{"/r/game.bin", "/r/hack2.smd", "/p/mine.ips"};
        QTest::newRow("two at once") << QStringList{"/x/a.bin", "/x/b.bin", ""}
                                     << QStringList{"/r/game.zip", "/r/hack"}
                                     << QStringList{"/r/game.zip", "/r/hack", "/r/hack.bps"};
    }
    void drops() {
        QFETCH(QStringList, before);
        QFETCH(QStringList, files);
        QFETCH(QStringList, after);
        fill(before[0], before[1], before[2]);
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& f : files) urls << QUrl::fromLocalFile(f);
        mime.setUrls(urls);
        const QPointF at(window_->width() / 2.0, window_->height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window_, &drop);
        QCOMPARE((QStringList{child<QLineEdit>("txOrig")->text(), child<QLineEdit>("txMod")->text(),
                              child<QLineEdit>("txPatchOut")->text()}),
                 after);
    }

    void tabFollowsReadingOrder() {
        QStringList order;
        QWidget* w = window_->nextInFocusChain();
        for (int guard = 0; w != window_ && guard < 100; ++guard, w = w->nextInFocusChain())
            if (window_->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window_))
                order << w->objectName();
        QCOMPARE(order, (QStringList{"txOrig", "cmdOrig", "txMod", "cmdMod", "txPatchOut", "cmdPatchOut",
                                     "optIps", "optBps", "cmdMake", "cmdClose"}));
    }
};

QTEST_MAIN(MakePatchTest)
#include "frm_make_patch.moc"
