#include "gui/convert/frm_rom_conv.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "engine/convert/smd.h"
#include "gui/common/tool_window.h"
#include "gui/convert/conversion_texts.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"

using namespace vantorel;
using gui::PromptAnswer;
using gui::PromptIcon;
using lang::Msg;

namespace {

constexpr int kBlock = 16384;

QByteArray imageBytes(int length, int seed) {
    QByteArray b(length, '\0');
    for (int i = 0; i < length; ++i) b[i] = static_cast<char>((i * 7 + seed * 31 + (i >> 8)) & 0xFF);
    return b;
}

// One SMD block per 16384 image bytes, odd bytes first, as a copier writes it.
QByteArray smdBytes(const QByteArray& image) {
    const int blocks = static_cast<int>(image.size() / kBlock);
    QByteArray smd(512 + blocks * kBlock, '\0');
    smd[0] = static_cast<char>(blocks);
    for (int k = 0; k < blocks; ++k)
        for (int j = 0; j < kBlock / 2; ++j) {
            smd[512 + k * kBlock + j] = image[k * kBlock + 2 * j + 1];
            smd[512 + k * kBlock + kBlock / 2 + j] = image[k * kBlock + 2 * j];
        }
    return smd;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// A plain image as the console sees it: "SEGA" at 0x100.
QByteArray segaImage(int length, int seed) {
    QByteArray b = imageBytes(length, seed);
    b.replace(0x100, 4, "SEGA");
    return b;
}

// The SMD file a copier writes, marks included.
QByteArray copierFile(const QByteArray& image) {
    const auto smd = convert::binToSmd(std::span(reinterpret_cast<const std::uint8_t*>(image.constData()),
                                                 static_cast<std::size_t>(image.size())));
    return QByteArray(reinterpret_cast<const char*>(smd.value().data()),
                      static_cast<qsizetype>(smd.value().size()));
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

}  // namespace

class RomConvTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { test::useLanguage(); }

    void init() {
        prompt_ = std::make_unique<test::ScriptedPrompt>();
        host_ = std::make_unique<test::RecordingHost>();
        QVERIFY(dir_.isValid());
        window_ = new gui::frmRomConv;
        window_->resize(700, 400);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }

    void cleanup() {
        const int unexpected = prompt_->unexpected;
        delete window_;
        window_ = nullptr;
        host_.reset();
        prompt_.reset();
        QCOMPARE(unexpected, 0);
    }

    void localisesWithFramesKeptAndSmallLists() {
        QCOMPARE(window_->objectName(), QStringLiteral("frmRomConv"));
        QCOMPARE(window_->windowTitle(), gui::langValue("frmRomConv", "Caption"));
        QCOMPARE(child<QGroupBox>("fBS")->title(), QStringLiteral("SMD-->BIN"));
        QCOMPARE(child<QGroupBox>("fSB")->title(), QStringLiteral("BIN-->SMD"));
        for (const char* name : {"cmdSMD2BIN", "cmdBIN2SMD", "cmdRunOut"})
            QCOMPARE(child<QPushButton>(name)->text(), gui::langValue("frmRomConv", name));
        for (const char* name : {"lbOrgSMD", "lbDestBin", "lbOrgBin", "lbDestSMD"})
            QCOMPARE(child<QLabel>(name)->text(), gui::langValue("frmRomConv", name));
        QVERIFY(!child<QPushButton>("cmdSMD2BIN")->text().isEmpty());
        for (const char* name : {"lsOrgSmd", "lsDstBin", "lsOrgBin", "lsDstSmd"})
            QCOMPARE(child<QListWidget>(name)->font().pointSize(), 8);
        for (const char* name : {"cmdSelOrgSMD", "cmdSelDestBIN", "cmdSelOrgBIN", "cmdSelDestSMD"})
            QVERIFY(!child<QToolButton>(name)->icon().isNull());
        QVERIFY(!child<QLabel>("Picture1")->pixmap().isNull());
        QVERIFY(!child<QLabel>("Picture2")->pixmap().isNull());
    }

    void addingNamesDestinationsAndSelectsEverything() {
        prompt_->fileAnswers.push_back({"/roms/A.SMD", "/roms/b.smd"});
        prompt_->fileAnswers.push_back({"/other/game.md"});
        QTest::mouseClick(child<QToolButton>("cmdSelOrgSMD"), Qt::LeftButton);
        child<QListWidget>("lsOrgSmd")->clearSelection();
        QTest::mouseClick(child<QToolButton>("cmdSelOrgSMD"), Qt::LeftButton);

        QCOMPARE(prompt_->fileRequests.size(), 2);
        const gui::FileRequest& r = prompt_->fileRequests.first();
        QCOMPARE(r.mode, gui::FileRequest::Mode::OpenMany);
        QCOMPARE(r.filters.at(r.initialFilter).patterns, QStringLiteral("*.smd"));
        QVERIFY(r.mustExist);
        QCOMPARE(entries(child<QListWidget>("lsOrgSmd")),
                 QStringList({"/roms/A.SMD", "/roms/b.smd", "/other/game.md"}));
        QCOMPARE(entries(child<QListWidget>("lsDstBin")),
                 QStringList({"/roms/A.bin", "/roms/b.bin", "/other/gam.bin"}));
        QCOMPARE(child<QListWidget>("lsOrgSmd")->selectedItems().size(), 3);
        QCOMPARE(child<QListWidget>("lsOrgBin")->count(), 0);

        prompt_->fileAnswers.push_back({"/roms/x.bin"});
        prompt_->fileAnswers.push_back({});  // cancelled
        QTest::mouseClick(child<QToolButton>("cmdSelOrgBIN"), Qt::LeftButton);
        QTest::mouseClick(child<QToolButton>("cmdSelOrgBIN"), Qt::LeftButton);
        const gui::FileRequest& b = prompt_->fileRequests.at(2);
        QCOMPARE(b.filters.at(b.initialFilter).patterns, QStringLiteral("*.bin"));
        QCOMPARE(entries(child<QListWidget>("lsDstSmd")), QStringList({"/roms/x.smd"}));
    }

    void convertsTheSelectedSmdFilesWithStatusInOrder() {
        QStringList paths;
        QList<QByteArray> images;
        for (int i = 0; i < 3; ++i) {
            images << imageBytes((i + 1) * kBlock, i);
            paths << dir_.filePath(QStringLiteral("game%1.smd").arg(i));
            writeFile(paths.last(), smdBytes(images.last()));
        }
        prompt_->fileAnswers.push_back(paths);
        QTest::mouseClick(child<QToolButton>("cmdSelOrgSMD"), Qt::LeftButton);
        child<QListWidget>("lsOrgSmd")->item(1)->setSelected(false);
        host_->statusTexts.clear();
        prompt_->answers.push_back(PromptAnswer::Ok);
        QTest::mouseClick(child<QPushButton>("cmdSMD2BIN"), Qt::LeftButton);
        // The batch runs on a worker: the window is free at once, and the box comes at the end.
        QVERIFY(window_->isConverting());
        QTRY_VERIFY(!window_->isConverting());

        const QString bin0 = dir_.filePath("game0.bin"), bin2 = dir_.filePath("game2.bin");
        QCOMPARE(host_->statusTexts,
                 QStringList({gui::msg(Msg::CNVProg), paths[0] + " : 1/2", gui::msg(Msg::DstMsg, "%r", bin0),
                              paths[2] + " : 2/2", gui::msg(Msg::DstMsg, "%r", bin2)}));
        QCOMPARE(readFile(bin0), images[0]);
        QCOMPARE(readFile(bin2), images[2]);
        QVERIFY(!QFile::exists(dir_.filePath("game1.bin")));

        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Information);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::OKCNV));
        QCOMPARE(prompt_->messages[0].title, gui::appTitle());
        QCOMPARE(host_->progressVisible, QList<bool>({true, false}));
        QCOMPARE(host_->progress.first().max, 100);
        QCOMPARE(host_->progress.first().value, 0);
        QVERIFY(!host_->progress.first().mosPct);
        // Blocks of the file in progress, at screen rate: in order, and the batch's very last
        // block always shown (game0 has one block, game2 three).
        const QList<test::RecordingHost::Progress> steps = host_->progress.mid(1);
        QVERIFY(!steps.isEmpty());
        for (int i = 1; i < steps.size(); ++i)
            if (steps[i].max == steps[i - 1].max) QVERIFY(steps[i].value > steps[i - 1].value);
        for (const auto& step : steps) QVERIFY(step.max == 1 || step.max == 3);
        QCOMPARE(steps.last().max, 3);
        QCOMPARE(steps.last().value, 3);
        QVERIFY(steps.last().mosPct);
        QVERIFY(child<QPushButton>("cmdSMD2BIN")->isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // One empty BIN among three: one box during the batch, then the list of failures. While
    // the box is up the batch is still running and no second one can start.
    void oneFailureGivesOneBoxAndTheFinalList() {
        QStringList paths;
        for (int i = 0; i < 3; ++i) {
            paths << dir_.filePath(QStringLiteral("rom%1.bin").arg(i));
            writeFile(paths.last(), i == 1 ? QByteArray() : imageBytes(kBlock + 100, i));
        }
        prompt_->fileAnswers.push_back(paths);
        QTest::mouseClick(child<QToolButton>("cmdSelOrgBIN"), Qt::LeftButton);
        host_->statusTexts.clear();
        bool checkedWhileBusy = false;
        prompt_->onMessage = [&](const gui::MessageRequest& r) {
            if (r.text != gui::msg(Msg::CantCNV1)) return;
            for (const char* name : {"cmdBIN2SMD", "cmdSMD2BIN", "cmdRunOut"})
                QVERIFY(!child<QPushButton>(name)->isEnabled());
            QVERIFY(!child<QToolButton>("cmdSelOrgBIN")->isEnabled());
            const int before = host_->statusTexts.size();
            QTest::mouseClick(child<QPushButton>("cmdBIN2SMD"), Qt::LeftButton);
            QCOMPARE(host_->statusTexts.size(), before);
            checkedWhileBusy = true;
        };
        prompt_->answers = {PromptAnswer::Ok, PromptAnswer::Ok};
        QTest::mouseClick(child<QPushButton>("cmdBIN2SMD"), Qt::LeftButton);
        QTRY_VERIFY(!window_->isConverting());
        QVERIFY(checkedWhileBusy);

        const QString failed = dir_.filePath("rom1.smd");
        QCOMPARE(host_->statusTexts, QStringList({gui::msg(Msg::CNVProg), "ROM " + paths[0] + " :1/3",
                                                  gui::msg(Msg::DstMsg, "%r", dir_.filePath("rom0.smd")),
                                                  "ROM " + paths[1] + " :2/3", gui::msg(Msg::CantCNV2),
                                                  "ROM " + paths[2] + " :3/3",
                                                  gui::msg(Msg::DstMsg, "%r", dir_.filePath("rom2.smd"))}));
        QCOMPARE(prompt_->messages.size(), 2);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::CantCNV1));
        QCOMPARE(prompt_->messages[1].icon, PromptIcon::Warning);
        QCOMPARE(prompt_->messages[1].text, gui::msg(Msg::ErrCNV) + ":\n\n\n" + failed);
        QVERIFY(!QFile::exists(failed));
        QCOMPARE(readFile(dir_.filePath("rom2.smd")).size(), 512 + 2 * kBlock);
        // The reason stays on the failed entry.
        QVERIFY(!child<QListWidget>("lsDstSmd")->item(1)->toolTip().isEmpty());
        QVERIFY(child<QPushButton>("cmdBIN2SMD")->isEnabled());
    }

    void failureListPutsEachDestinationOnItsOwnLine() {
        QCOMPARE(gui::failureReport("Err", {"/a.bin", "/b.bin"}), QStringLiteral("Err:\n\n\n/a.bin\n/b.bin"));
        QCOMPARE(gui::conversionStatus(gui::ConvertDirection::SmdToBin, "/r/%r.smd", 2, 5),
                 QStringLiteral("/r/%r.smd : 2/5"));
        QCOMPARE(gui::conversionStatus(gui::ConvertDirection::BinToSmd, "/r/G.BIN", 2, 5),
                 QStringLiteral("ROM /r/G.BIN :2/5"));
    }

    // A BIN misnamed .smd would be converted onto itself: the entry fails, the file stays.
    void destinationThatIsItsSourceFailsAndKeepsTheFile() {
        const QString path = dir_.filePath("misnamed.smd");
        const QByteArray image = imageBytes(kBlock, 5);
        writeFile(path, image);
        prompt_->fileAnswers.push_back({path});
        QTest::mouseClick(child<QToolButton>("cmdSelOrgBIN"), Qt::LeftButton);
        QCOMPARE(entries(child<QListWidget>("lsDstSmd")), QStringList({path}));
        prompt_->answers = {PromptAnswer::Ok, PromptAnswer::Ok};
        QTest::mouseClick(child<QPushButton>("cmdBIN2SMD"), Qt::LeftButton);
        QTRY_VERIFY(!window_->isConverting());
        QCOMPARE(prompt_->messages.size(), 2);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::CantCNV1));
        QCOMPARE(prompt_->messages[1].text, gui::msg(Msg::ErrCNV) + ":\n\n\n" + path);
        QCOMPARE(readFile(path), image);
    }

    // Two sources that would land in one file are refused before anything is written, and
    // the box names both.
    void sourcesSharingADestinationAreRefused() {
        QDir(dir_.path()).mkpath("a");
        QDir(dir_.path()).mkpath("b");
        QDir(dir_.path()).mkpath("out");
        const QString a = dir_.filePath("a/x.bin"), b = dir_.filePath("b/x.bin");
        writeFile(a, imageBytes(kBlock, 1));
        writeFile(b, imageBytes(kBlock, 2));
        window_->acceptFiles({a, b});
        prompt_->folderAnswers = {dir_.filePath("out")};
        QTest::mouseClick(child<QToolButton>("cmdSelDestSMD"), Qt::LeftButton);
        prompt_->answers = {PromptAnswer::Ok};
        QTest::mouseClick(child<QPushButton>("cmdBIN2SMD"), Qt::LeftButton);
        QVERIFY(!window_->isConverting());
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QVERIFY(prompt_->messages[0].text.contains(a));
        QVERIFY(prompt_->messages[0].text.contains(b));
        QVERIFY(prompt_->messages[0].text.contains(dir_.filePath("out/x.smd")));
        QVERIFY(QDir(dir_.filePath("out")).isEmpty());
        QVERIFY(host_->statusTexts.isEmpty());
    }

    void convertWithNothingToConvertAsksForFiles() {
        prompt_->answers = {PromptAnswer::Ok, PromptAnswer::Ok};
        QTest::mouseClick(child<QPushButton>("cmdSMD2BIN"), Qt::LeftButton);
        prompt_->fileAnswers.push_back({dir_.filePath("x.bin")});
        QTest::mouseClick(child<QToolButton>("cmdSelOrgBIN"), Qt::LeftButton);
        child<QListWidget>("lsOrgBin")->clearSelection();
        QTest::mouseClick(child<QPushButton>("cmdBIN2SMD"), Qt::LeftButton);
        QCOMPARE(prompt_->messages.size(), 2);
        for (const auto& m : prompt_->messages) {
            QCOMPARE(m.icon, PromptIcon::Error);
            QCOMPARE(m.text, gui::msg(Msg::SelRomErr));
        }
        QVERIFY(host_->statusTexts.isEmpty());
        QVERIFY(host_->progressVisible.isEmpty());
    }

    void movingDestinationsChangesOnlyThatPane() {
        prompt_->fileAnswers.push_back({"/a/X.SMD", "/a/b/Y.smd"});
        prompt_->fileAnswers.push_back({"/a/Z.bin"});
        QTest::mouseClick(child<QToolButton>("cmdSelOrgSMD"), Qt::LeftButton);
        QTest::mouseClick(child<QToolButton>("cmdSelOrgBIN"), Qt::LeftButton);

        prompt_->folderAnswers = {"/out", QString(), "/second/"};
        QTest::mouseClick(child<QToolButton>("cmdSelDestBIN"), Qt::LeftButton);
        QCOMPARE(prompt_->folderTitles.first(), gui::msg(Msg::RomFolder));
        QCOMPARE(entries(child<QListWidget>("lsDstBin")), QStringList({"/out/X.bin", "/out/Y.bin"}));
        QCOMPARE(entries(child<QListWidget>("lsDstSmd")), QStringList({"/a/Z.smd"}));

        QTest::mouseClick(child<QToolButton>("cmdSelDestBIN"), Qt::LeftButton);  // cancelled
        QCOMPARE(entries(child<QListWidget>("lsDstBin")), QStringList({"/out/X.bin", "/out/Y.bin"}));

        auto* list = child<QListWidget>("lsDstSmd");
        QVERIFY(list->visualItemRect(list->item(0)).isValid());
        const QPoint at = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(entries(list), QStringList({"/second/Z.smd"}));
        QCOMPARE(prompt_->folderTitles.size(), 3);
    }

    void droppingFilesOnAPaneAddsThem() {
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile("/roms/one.bin"), QUrl::fromLocalFile("/roms/two.bin")});
        auto* pane = child<QGroupBox>("fSB");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane, &drop);
        QCOMPARE(entries(child<QListWidget>("lsOrgBin")), QStringList({"/roms/one.bin", "/roms/two.bin"}));
        QCOMPARE(entries(child<QListWidget>("lsDstSmd")), QStringList({"/roms/one.smd", "/roms/two.smd"}));
        QCOMPARE(child<QListWidget>("lsOrgBin")->selectedItems().size(), 2);
        QCOMPARE(child<QListWidget>("lsOrgSmd")->count(), 0);

        QMimeData text;
        text.setText("not a file");
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(child<QGroupBox>("fBS"), &refused);
        QVERIFY(!refused.isAccepted());
    }

    void filesFromTheMainWindowJoinThePaneOfTheirKind() {
        window_->acceptFiles({"/roms/a.SMD", "/roms/b.bin", "/roms/c.smd"});
        QCOMPARE(entries(child<QListWidget>("lsOrgSmd")), QStringList({"/roms/a.SMD", "/roms/c.smd"}));
        QCOMPARE(entries(child<QListWidget>("lsDstBin")), QStringList({"/roms/a.bin", "/roms/c.bin"}));
        QCOMPARE(entries(child<QListWidget>("lsOrgBin")), QStringList({"/roms/b.bin"}));
        QCOMPARE(entries(child<QListWidget>("lsDstSmd")), QStringList({"/roms/b.smd"}));
    }

    void deleteKeyRemovesSelectedSourcesWithTheirDestinations() {
        prompt_->fileAnswers.push_back({"/r/a.smd", "/r/b.smd", "/r/c.smd"});
        QTest::mouseClick(child<QToolButton>("cmdSelOrgSMD"), Qt::LeftButton);
        auto* sources = child<QListWidget>("lsOrgSmd");
        sources->clearSelection();
        sources->item(0)->setSelected(true);
        sources->item(2)->setSelected(true);
        sources->setFocus();
        QTest::keyClick(sources, Qt::Key_Delete);
        QCOMPARE(entries(sources), QStringList({"/r/b.smd"}));
        QCOMPARE(entries(child<QListWidget>("lsDstBin")), QStringList({"/r/b.bin"}));
    }

    // Closing the converter while a batch runs stops it at the next block: every file it
    // reported as written is whole, the one in progress is discarded, nothing lies beside.
    void closingMidBatchStopsAtTheNextBlock() {
        QTemporaryDir work;
        QStringList paths;
        QList<QByteArray> images;
        for (int i = 0; i < 24; ++i) {
            images << imageBytes(256 * kBlock, i);
            paths << work.filePath(QStringLiteral("big%1.bin").arg(i, 2, 10, QLatin1Char('0')));
            writeFile(paths.last(), images.last());
        }
        window_->acceptFiles(paths);
        // A loaded machine could finish the batch before the test gets to close the window:
        // hold the worker once the first file is written, and let it go just before the close.
        const QString firstDone = gui::msg(Msg::DstMsg, "%r", work.filePath("big00.smd"));
        host_->onStatus = [&](const QString& text) {
            if (text == firstDone) window_->pauseWork();
        };
        QTest::mouseClick(child<QPushButton>("cmdBIN2SMD"), Qt::LeftButton);
        QTRY_VERIFY(host_->statusTexts.contains(firstDone));
        host_->onStatus = nullptr;
        QVERIFY2(window_->isConverting(), "the batch ended before the window could be closed");

        QPointer<gui::frmRomConv> conv(window_);
        window_->resumeWork();
        window_->close();
        QVERIFY(!conv->isConverting());
        QCOMPARE(prompt_->messages.size(), 0);
        QCOMPARE(host_->statusTexts.last(), gui::appMessage());
        QVERIFY(host_->statusTexts.at(host_->statusTexts.size() - 2).contains(QStringLiteral("24")));
        int written = 0;
        for (int i = 0; i < paths.size(); ++i) {
            const QString out = work.filePath(QStringLiteral("big%1.smd").arg(i, 2, 10, QLatin1Char('0')));
            const bool reported = host_->statusTexts.contains(gui::msg(Msg::DstMsg, "%r", out));
            QCOMPARE(QFile::exists(out), reported);
            if (!reported) continue;
            ++written;
            const auto expected =
                convert::binToSmd(std::span(reinterpret_cast<const std::uint8_t*>(images[i].constData()),
                                            static_cast<std::size_t>(images[i].size())));
            QVERIFY(expected.ok());
            QCOMPARE(readFile(out), QByteArray(reinterpret_cast<const char*>(expected.value().data()),
                                               static_cast<qsizetype>(expected.value().size())));
        }
        QVERIFY(written >= 1 && written < paths.size());
        const QStringList everything = QDir(work.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(everything.size(), paths.size() + written);
    }

    // An archive's image converts to a file beside the archive, named after the image; with
    // several images the user picks one, and a cancelled pick adds nothing.
    void archiveSourcesConvertTheirImage() {
        if (QStandardPaths::findExecutable("zip").isEmpty()) QSKIP("zip is not installed");
        const QByteArray sonic = segaImage(2 * kBlock, 1), a = segaImage(kBlock, 2),
                         b = segaImage(3 * kBlock, 3);
        QDir(dir_.path()).mkpath("in");
        writeFile(dir_.filePath("in/Sonic.smd"), copierFile(sonic));
        writeFile(dir_.filePath("in/a.smd"), copierFile(a));
        writeFile(dir_.filePath("in/b.smd"), copierFile(b));
        auto zip = [&](const QString& archive, const QStringList& files) {
            QProcess p;
            p.setWorkingDirectory(dir_.filePath("in"));
            p.start("zip", QStringList{"-q", archive} + files);
            QVERIFY(p.waitForFinished() && p.exitCode() == 0);
        };
        const QString one = dir_.filePath("one.zip"), two = dir_.filePath("two.zip");
        zip(one, {"Sonic.smd"});
        zip(two, {"a.smd", "b.smd"});
        const QByteArray twoBytes = readFile(two);

        prompt_->itemAnswers = {QString(), QStringLiteral("b.smd")};
        window_->addSources(gui::ConvertDirection::SmdToBin, {two, one, two});
        QCOMPARE(prompt_->itemLists, (QList<QStringList>{{"a.smd", "b.smd"}, {"a.smd", "b.smd"}}));
        auto* sources = child<QListWidget>("lsOrgSmd");
        QCOMPARE(entries(sources), QStringList({one + "(Sonic.smd)", two + "(b.smd)"}));
        QCOMPARE(entries(child<QListWidget>("lsDstBin")),
                 QStringList({dir_.filePath("Sonic.bin"), dir_.filePath("b.bin")}));
        for (int k = 0; k < sources->count(); ++k) QVERIFY(sources->item(k)->toolTip().isEmpty());

        prompt_->answers.push_back(PromptAnswer::Ok);
        QTest::mouseClick(child<QPushButton>("cmdSMD2BIN"), Qt::LeftButton);
        QTRY_VERIFY(!window_->isConverting());
        QCOMPARE(prompt_->messages.last().text, gui::msg(Msg::OKCNV));
        QVERIFY(host_->statusTexts.contains(one + "(Sonic.smd) : 1/2"));
        QCOMPARE(readFile(dir_.filePath("Sonic.bin")), sonic);
        QCOMPARE(readFile(dir_.filePath("b.bin")), b);
        QCOMPARE(readFile(two), twoBytes);
    }

    // A source whose content would come out garbled is flagged on its entry before any batch
    // (it can still be converted); a source that suits its pane, or tells nothing, is not.
    void sourcesThatDoNotSuitTheirPaneAreFlagged_data() {
        QTest::addColumn<bool>("smdPane");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("warning");  // a Msg, or -1 for none
        const QByteArray plain = segaImage(2 * kBlock, 4);
        QTest::newRow("SMD inside a .bin")
            << false << "inside-smd.bin" << copierFile(plain) << int(Msg::SrcLooksSmd);
        QTest::newRow("plain inside a .smd") << true << "inside-bin.smd" << plain << int(Msg::SrcLooksBin);
        QTest::newRow("plain .bin") << false << "fine.bin" << plain << -1;
        QTest::newRow("SMD .smd") << true << "fine.smd" << copierFile(plain) << -1;
        QTest::newRow("unknown bytes in a .smd") << true << "odd.smd" << imageBytes(kBlock, 5) << -1;
    }
    void sourcesThatDoNotSuitTheirPaneAreFlagged() {
        QFETCH(bool, smdPane);
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, warning);
        const QString path = dir_.filePath(name);
        writeFile(path, content);
        window_->addSources(smdPane ? gui::ConvertDirection::SmdToBin : gui::ConvertDirection::BinToSmd,
                            {path});
        QListWidgetItem* item = child<QListWidget>(smdPane ? "lsOrgSmd" : "lsOrgBin")->item(0);
        QCOMPARE(item->text(), path);
        QCOMPARE(item->toolTip(), warning < 0 ? QString() : gui::msg(static_cast<Msg>(warning)));
        QCOMPARE(item->icon().isNull(), warning < 0);
    }

    // Files handed over by the main window: an archive's image goes to the pane its own name
    // says, or its content when the name says neither.
    void archivesFromTheMainWindowGoByTheirImage() {
        if (QStandardPaths::findExecutable("zip").isEmpty()) QSKIP("zip is not installed");
        QDir(dir_.path()).mkpath("hand");
        writeFile(dir_.filePath("hand/game.md"), copierFile(segaImage(kBlock, 6)));
        writeFile(dir_.filePath("hand/plain.gen"), segaImage(kBlock, 7));
        for (const char* name : {"game.md", "plain.gen"}) {
            QProcess p;
            p.setWorkingDirectory(dir_.filePath("hand"));
            p.start("zip", {"-q", QStringLiteral("%1.zip").arg(QLatin1String(name)), QLatin1String(name)});
            QVERIFY(p.waitForFinished() && p.exitCode() == 0);
        }
        const QString smdZip = dir_.filePath("hand/game.md.zip"),
                      binZip = dir_.filePath("hand/plain.gen.zip");
        window_->acceptFiles({smdZip, binZip});
        QCOMPARE(entries(child<QListWidget>("lsOrgSmd")), QStringList({smdZip + "(game.md)"}));
        QCOMPARE(entries(child<QListWidget>("lsOrgBin")), QStringList({binZip + "(plain.gen)"}));
        QCOMPARE(entries(child<QListWidget>("lsDstSmd")), QStringList({dir_.filePath("hand/plain.smd")}));
    }

    void closeButtonUnloadsWithTheIdleMessage() {
        QPointer<QWidget> guard(window_);
        QTest::mouseClick(child<QPushButton>("cmdRunOut"), Qt::LeftButton);
        QCOMPARE(host_->statusTexts.last(), gui::appMessage());
        QVERIFY(!guard->isVisible());
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
        window_ = nullptr;
    }

private:
    template <typename W>
    W* child(const char* name) {
        W* w = window_->findChild<W*>(QLatin1String(name));
        if (!w) qFatal("no control named %s", name);
        return w;
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::ScriptedPrompt> prompt_;
    std::unique_ptr<test::RecordingHost> host_;
    gui::frmRomConv* window_ = nullptr;
};

QTEST_MAIN(RomConvTest)
#include "frm_rom_conv.moc"
