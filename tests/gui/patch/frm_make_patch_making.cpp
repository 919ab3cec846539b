// The patch maker window at work: patches that apply back, images in archives, refusals
// and failures said once, and a close in the middle that leaves nothing behind.
#include <QtTest>

#include "gui/patch/make_patch_fixture.h"

using namespace vantorel;
using namespace vantorel::test;

class MakePatchMakingTest : public QObject, protected MakePatchFixture {
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void makesAndAppliesBack_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("orig");
        QTest::addColumn<QByteArray>("mod");
        const QByteArray base = noise(256 * 1024, 7);
        QByteArray edited = base;
        for (int i = 0; i < edited.size(); i += 5000) edited[i] = char(edited[i] ^ 0x5A);
        QByteArray moved = base.mid(128 * 1024) + base.left(128 * 1024);
        for (auto [name, format] : {std::pair{"IPS", PatchFormat::Ips}, std::pair{"BPS", PatchFormat::Bps}}) {
            const int f = int(format);
            QTest::addRow("%s, scattered edits", name) << f << base << edited;
            QTest::addRow("%s, grown", name) << f << base << base + noise(70000, 8);
            QTest::addRow("%s, shrunk", name) << f << base << base.left(100000);
            QTest::addRow("%s, halves swapped", name) << f << base << moved;
            QTest::addRow("%s, unchanged", name) << f << base << base;
        }
    }
    void makesAndAppliesBack() {
        QFETCH(int, format);
        QFETCH(QByteArray, orig);
        QFETCH(QByteArray, mod);
        const QString out = path(format == int(PatchFormat::Ips) ? "out.ips" : "out.bps");
        fill(put("orig.bin", orig), put("mod.bin", mod), out);
        choose(PatchFormat(format));
        bool lockedWhileMaking = true;
        host_->onProgress = [&] {
            lockedWhileMaking = lockedWhileMaking && !child<QPushButton>("cmdMake")->isEnabled() &&
                                !child<QLineEdit>("txOrig")->isEnabled() &&
                                !child<QRadioButton>("optIps")->isEnabled();
        };
        clickMake();

        QCOMPARE(prompt_->messages.size(), 0);
        verifyPatch(out, PatchFormat(format), orig, mod);
        QVERIFY(lockedWhileMaking);
        QVERIFY(child<QLineEdit>("txOrig")->isEnabled());
        QVERIFY(child<QPushButton>("cmdMake")->isEnabled());
        // Nothing else lands in the folder, and the inputs stay as they were.
        QCOMPARE(folder(), (QStringList{"mod.bin", "orig.bin", QFileInfo(out).fileName()}));
        QCOMPARE(contents(path("orig.bin")), orig);
        QCOMPARE(contents(path("mod.bin")), mod);

        const QLocale locale;
        const QString expected =
            gui::msg(Msg::PatchMade)
                .arg(format == int(PatchFormat::Ips) ? "IPS" : "BPS",
                     locale.formattedDataSize(contents(out).size()), locale.formattedDataSize(orig.size()),
                     locale.formattedDataSize(mod.size()));
        QCOMPARE(child<QLabel>("lblResult")->text(), expected);
        QVERIFY(!expected.contains('%'));
        QCOMPARE(host_->statusTexts,
                 (QStringList{gui::msg(Msg::MakingPatch, "%1", out), gui::msg(Msg::DstMsg, "%r", out)}));
        QVERIFY(host_->statusTexts[0].contains(out));
        QCOMPARE(host_->progressVisible, (QList<bool>{true, false}));
        QCOMPARE(host_->lastValue, host_->lastMax);
    }

    void imagesInArchives_data() {
        QTest::addColumn<bool>("modInArchive");
        QTest::addColumn<QStringList>("offered");  // empty: no question
        QTest::addColumn<QString>("answer");
        QTest::newRow("original alone in a zip") << false << QStringList{} << "";
        QTest::newRow("original among two images")
            << false << QStringList{"other.bin", "game.bin"} << "game.bin";
        QTest::newRow("choice cancelled") << false << QStringList{"other.bin", "game.bin"} << "";
        QTest::newRow("modified in a 7z") << true << QStringList{} << "";
    }
    void imagesInArchives() {
        QFETCH(bool, modInArchive);
        QFETCH(QStringList, offered);
        QFETCH(QString, answer);
        const QByteArray orig = noise(40000, 3);
        QByteArray mod = orig;
        mod.replace(100, 5, "HELLO");
        std::vector<test::Packed> files = {{"readme.txt", toBytes("not an image")}};
        if (!offered.isEmpty()) files.push_back({"other.bin", toBytes(noise(40000, 4))});
        files.push_back({"game.bin", toBytes(modInArchive ? mod : orig)});
        const QString archive =
            put(modInArchive ? "mod.7z" : "orig.zip",
                fromBytes(test::pack(modInArchive ? test::Packing::SevenZip : test::Packing::Zip, files)));
        const QString plain = put(modInArchive ? "orig.bin" : "mod.bin", modInArchive ? orig : mod);
        fill(modInArchive ? plain : archive, modInArchive ? archive : plain, path("out.bps"));
        if (!offered.isEmpty()) prompt_->itemAnswers.push_back(answer);
        clickMake();

        QVERIFY(prompt_->itemLists ==
                (offered.isEmpty() ? QList<QStringList>{} : QList<QStringList>{offered}));
        QCOMPARE(prompt_->messages.size(), 0);
        if (!offered.isEmpty() && answer.isEmpty()) {
            QVERIFY(!QFile::exists(path("out.bps")));
            QVERIFY(host_->statusTexts.isEmpty());
            return;
        }
        verifyPatch(path("out.bps"), PatchFormat::Bps, orig, mod);
        QVERIFY(child<QLabel>("lblResult")->text().contains(QLocale().formattedDataSize(orig.size())));
    }

    void ipsRefusalsSuggestBps_data() {
        QTest::addColumn<int>("origSize");
        QTest::addColumn<int>("modSize");
        QTest::addColumn<int>("changeAt");  // -1: none
        QTest::addColumn<int>("number");
        QTest::newRow("change past what IPS reaches")
            << 0x1010010 << 0x1010010 << 0x1010008 << patch::kIpsTooLargeError;
        QTest::newRow("shorter size reading as EOF")
            << 0x454F46 + 100 << 0x454F46 << -1 << patch::kIpsUnrepresentableError;
        QTest::newRow("shorter size past 24 bits")
            << 0x1000010 << 0x1000008 << -1 << patch::kIpsSizeTooLargeError;
    }
    void ipsRefusalsSuggestBps() {
        QFETCH(int, origSize);
        QFETCH(int, modSize);
        QFETCH(int, changeAt);
        QFETCH(int, number);
        const QByteArray orig(origSize, '\0');
        QByteArray mod(modSize, '\0');
        if (changeAt >= 0) mod[changeAt] = '\x01';
        const auto refused = patch::makeIps(toBytes(orig), toBytes(mod));
        QVERIFY(!refused.ok());
        QCOMPARE(refused.error().number(), number);

        choose(PatchFormat::Ips);
        fill(put("orig.bin", orig), put("mod.bin", mod), path("out.ips"));
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QCOMPARE(prompt_->messages[0].text, cantMake(gui::errorText(refused.error())));
        QVERIFY(prompt_->messages[0].text.contains("BPS"));
        QCOMPARE(folder(), (QStringList{"mod.bin", "orig.bin"}));
        QCOMPARE(host_->progressVisible, (QList<bool>{true, false}));
        QCOMPARE(host_->statusTexts.last(), gui::appMessage());
        QVERIFY(child<QLabel>("lblResult")->text().isEmpty());

        // Taking the advice works.
        choose(PatchFormat::Bps);
        QCOMPARE(child<QLineEdit>("txPatchOut")->text(), path("out.bps"));
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        verifyPatch(path("out.bps"), PatchFormat::Bps, orig, mod);
    }

    void failures_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing original") << "missing";
        QTest::newRow("empty modified") << "empty";
        QTest::newRow("folder as original") << "folder";
        QTest::newRow("patch folder missing") << "unwritable";
    }
    void failures() {
        QFETCH(QString, kind);
        QString orig = put("orig.bin", noise(3000, 1));
        QString mod = put("mod.bin", noise(3000, 2));
        QString out = path("out.bps");
        QString named;  // what the message must name
        if (kind == "missing") orig = named = path("gone.bin");
        if (kind == "empty") mod = named = put("empty.bin", {});
        if (kind == "folder") {
            QVERIFY(QDir(dir_->path()).mkdir("sub"));
            orig = named = path("sub");
        }
        if (kind == "unwritable") out = named = path("no/such/out.bps");
        fill(orig, mod, out);
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickMake();
        QCOMPARE(prompt_->messages.size(), 1);
        const gui::MessageRequest& m = prompt_->messages[0];
        QCOMPARE(m.icon, PromptIcon::Error);
        QVERIFY2(m.text.startsWith(cantMake(QString())), qPrintable(m.text));
        QVERIFY2(m.text.contains(named), qPrintable(m.text));
        QVERIFY(!QFile::exists(out));
        QCOMPARE(host_->progressVisible, (QList<bool>{true, false}));
        QCOMPARE(host_->statusTexts.last(), gui::appMessage());
        QVERIFY(child<QPushButton>("cmdMake")->isEnabled());
        QVERIFY(child<QLineEdit>("txOrig")->isEnabled());
    }

    void closingWhileMakingLeavesNoFile_data() {
        QTest::addColumn<int>("when");  // 0: at once, 1: a moment later, 2: midway through encoding
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("at once, close button") << 0 << true;
        QTest::newRow("a moment later, close button") << 1 << true;
        QTest::newRow("midway, close button") << 2 << true;
        QTest::newRow("midway, window closed") << 2 << false;
    }
    void closingWhileMakingLeavesNoFile() {
        QFETCH(int, when);
        QFETCH(bool, closeButton);
        const LargePair& pair = largePair();
        fill(pair.orig, pair.mod, path("out.bps"));
        QSignalSpy unloaded(window_.data(), &gui::ToolWindow::unloaded);
        qint64 closeMs = -1;
        auto closeNow = [&] {
            QElapsedTimer t;
            t.start();
            if (closeButton)
                child<QPushButton>("cmdClose")->click();
            else
                window_->close();
            closeMs = t.elapsed();
        };
        bool closing = false;
        host_->onProgress = [&] {
            // Well before the end, so the make is surely still going when the stop arrives.
            if (when != 2 || closing || host_->lastValue <= 0 || host_->lastValue > host_->lastMax / 2)
                return;
            closing = true;
            closeNow();
        };
        QTest::mouseClick(child<QPushButton>("cmdMake"), Qt::LeftButton);
        QVERIFY(window_->working());
        if (when == 1) QTest::qWait(1500);  // the images are in, the original is being indexed
        if (when != 2) closeNow();
        QTRY_VERIFY_WITH_TIMEOUT(closeMs >= 0, 60000);
        // How long the window stays unanswering while the work reaches its next step.
        qInfo("the close took %lld ms", closeMs);
        if (closeButton) QCOMPARE(unloaded.count(), 1);
        QTRY_VERIFY(window_.isNull() || !window_->working());
        QCOMPARE(folder(), QStringList{});
        QCOMPARE(prompt_->messages.size(), 0);
        QCOMPARE(host_->progressVisible.last(), false);
    }
};

QTEST_MAIN(MakePatchMakingTest)
#include "frm_make_patch_making.moc"
