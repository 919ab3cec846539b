#include "gui/patch/frm_ips_patcher.h"

#include <zlib.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>

#include "engine/convert/smd.h"
#include "engine/patch/make_patch.h"
#include "engine/patch/patch_types.h"
#include "gui/common/host.h"
#include "gui/common/tool_window.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"

using namespace vantorel;
using gui::PromptAnswer;
using gui::PromptIcon;
using lang::Msg;

namespace {

// Records what the patcher asks of the main window, and lets a test look at the window
// while the bar moves.
class ProbeHost final : public gui::ShellHost {
public:
    ProbeHost() { gui::setHost(this); }
    ~ProbeHost() override { gui::setHost(nullptr); }

    QStringList statusTexts;
    QList<bool> progressVisible;
    int progressCalls = 0;
    int lastMax = -1, lastValue = -1;
    QStringList launcherPaths;
    std::function<void()> onProgress;

    void setStatusText(const QString& text) override { statusTexts << text; }
    void showProgress(int max, int value, const QString&, bool) override {
        ++progressCalls;
        lastMax = max;
        lastValue = value;
        if (onProgress) onProgress();
    }
    void setProgressVisible(bool visible) override { progressVisible << visible; }
    void showInLauncher(const QString& romPath) override { launcherPaths << romPath; }
    void openTool(gui::ToolId) override {}
    void openToolWith(gui::ToolId, const QStringList&) override {}
    QWidget* dialogParent() override { return nullptr; }
};

std::span<const std::uint8_t> bytesOf(const QByteArray& b) {
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

// An image with a header, different for each seed.
QByteArray gameImage(int size, int seed) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>((i * 13 + seed * 7 + (i >> 7)) & 0xFF);
    b.replace(0x100, 4, "SEGA");
    return b;
}

// A few bytes changed and some added, as a translation does.
QByteArray edited(QByteArray image) {
    image.replace(0x120, 5, "HELLO");
    image[image.size() / 2] = 'X';
    return image + QByteArray(100, '\x33');
}

QByteArray bpsPatch(const QByteArray& from, const QByteArray& to) {
    const auto made = patch::makeBps(bytesOf(from), bytesOf(to));
    return made.ok() ? QByteArray(reinterpret_cast<const char*>(made.value().data()),
                                  qsizetype(made.value().size()))
                     : QByteArray();
}

// A UPS patch built by hand from the format: sizes, then XOR hunks, then the three CRC32s.
QByteArray upsPatch(const QByteArray& from, const QByteArray& to) {
    auto number = [](quint64 v) {
        QByteArray out;
        for (;;) {
            const char low = static_cast<char>(v & 0x7F);
            v >>= 7;
            if (v == 0) {
                out.append(static_cast<char>(low | 0x80));
                return out;
            }
            out.append(low);
            --v;
        }
    };
    QByteArray body = QByteArray("UPS1") + number(quint64(from.size())) + number(quint64(to.size()));
    const int size = static_cast<int>(std::max(from.size(), to.size()));
    auto at = [](const QByteArray& b, int i) { return i < b.size() ? b[i] : '\0'; };
    int i = 0, last = 0;
    while (i < size) {
        if (at(from, i) == at(to, i)) {
            ++i;
            continue;
        }
        body += number(quint64(i - last));
        while (i < size && at(from, i) != at(to, i)) {
            body.append(static_cast<char>(at(from, i) ^ at(to, i)));
            ++i;
        }
        body.append('\0');
        last = ++i;
    }
    auto crc = [](const QByteArray& b) {
        const quint32 c =
            static_cast<quint32>(::crc32(0, reinterpret_cast<const Bytef*>(b.constData()), uInt(b.size())));
        QByteArray out(4, '\0');
        for (int k = 0; k < 4; ++k) out[k] = static_cast<char>(c >> (8 * k));
        return out;
    };
    body += crc(from) + crc(to);
    return body + crc(body);
}

QString crcOf(const QByteArray& b) {
    const quint32 c =
        static_cast<quint32>(::crc32(0, reinterpret_cast<const Bytef*>(b.constData()), uInt(b.size())));
    return QStringLiteral("%1").arg(c, 8, 16, QLatin1Char('0')).toUpper();
}

QByteArray ipsPatch(const QByteArray& records) {
    return QByteArray("PATCH") + records + QByteArray("EOF");
}

QByteArray dataRecord(int offset, const QByteArray& bytes) {
    QByteArray r;
    r.append(char(offset >> 16)).append(char(offset >> 8)).append(char(offset));
    r.append(char(bytes.size() >> 8)).append(char(bytes.size()));
    return r + bytes;
}

QByteArray runRecord(int offset, int length, char fill) {
    QByteArray r;
    r.append(char(offset >> 16)).append(char(offset >> 8)).append(char(offset));
    r.append('\0').append('\0').append(char(length >> 8)).append(char(length)).append(fill);
    return r;
}

}  // namespace

class IpsPatcherTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<test::ScriptedPrompt> prompt_;
    std::unique_ptr<ProbeHost> host_;
    gui::ToolWindow* window_ = nullptr;

    template <typename T>
    T* child(const char* name) {
        T* w = window_->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QString path(const QString& name) const { return dir_->filePath(name); }
    QString put(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return path(name);
    }
    static QByteArray contents(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void fill(const QString& orig, const QString& ips, const QString& patched) {
        child<QLineEdit>("txOrig")->setText(orig);
        child<QLineEdit>("txIPS")->setText(ips);
        child<QLineEdit>("txPatched")->setText(patched);
    }
    // The patch runs on a worker: waits until the window is idle again.
    void clickPatch() {
        QTest::mouseClick(child<QPushButton>("cmdPatch"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->working(), 15000);
    }
    QString cantPatch(const QString& description) const {
        return gui::msg(Msg::CantPatch) + QStringLiteral("\r\n\r\n") + description;
    }
    // The reference image and patch: 0xAB 0xCD at 2, 0xFF at 16..18, and 4 bytes at 100
    // of a 32-byte image, which grows to 104 bytes.
    QByteArray referencePatch() const {
        return ipsPatch(dataRecord(2, "\xAB\xCD") + runRecord(16, 3, '\xFF') +
                        dataRecord(100, "\x01\x02\x03\x04"));
    }
    QByteArray referenceResult() const {
        QByteArray r(104, '\0');
        r[2] = '\xAB';
        r[3] = '\xCD';
        r[16] = r[17] = r[18] = '\xFF';
        r[100] = 1;
        r[101] = 2;
        r[102] = 3;
        r[103] = 4;
        return r;
    }

private slots:
    void init() {
        test::useLanguage(QStringLiteral("English"));
        dir_ = std::make_unique<QTemporaryDir>();
        prompt_ = std::make_unique<test::ScriptedPrompt>();
        host_ = std::make_unique<ProbeHost>();
        window_ = new gui::frmIPSPatcher;
        QCOMPARE(window_->objectName(), QStringLiteral("frmIPSPatcher"));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup() {
        delete window_;
        window_ = nullptr;
        QCOMPARE(prompt_->unexpected, 0);
        host_.reset();
        prompt_.reset();
        dir_.reset();
    }

    void localisesAndFollowsTheTick() {
        QCOMPARE(window_->windowTitle(), gui::langValue("frmIPSPatcher", "Caption"));
        QVERIFY(!window_->windowTitle().isEmpty());
        for (const char* name : {"cmdPatch", "cmdClose", "chkData"}) {
            auto* b = child<QAbstractButton>(name);
            QCOMPARE(b->text(), gui::langValue("frmIPSPatcher", name));
            QVERIFY(!b->text().isEmpty());
        }
        for (const char* name : {"lblOriginal", "lblPatch", "lblPatched", "lblInfo"})
            QCOMPARE(child<QLabel>(name)->text(), gui::langValue("frmIPSPatcher", name));
        QCOMPARE(child<QGroupBox>("fPatch")->title(), gui::langValue("frmIPSPatcher", "fPatch"));
        QVERIFY(child<QLabel>("Picture1")->pixmap().isNull() == false);
        child<QFrame>("Line1");
        child<QFrame>("Line2");

        auto* chk = child<QCheckBox>("chkData");
        QVERIFY(!chk->isChecked());
        QVERIFY(!child<QLineEdit>("txData")->isEnabled());
        QVERIFY(!child<QToolButton>("cmdData")->isEnabled());
        chk->click();
        QVERIFY(child<QLineEdit>("txData")->isEnabled());
        QVERIFY(child<QToolButton>("cmdData")->isEnabled());
        chk->click();
        QVERIFY(!child<QLineEdit>("txData")->isEnabled());
        QVERIFY(!child<QToolButton>("cmdData")->isEnabled());
    }

    void choosers_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("titleKey");
        QTest::addColumn<QStringList>("patterns");
        QTest::addColumn<int>("initialFilter");
        QTest::addColumn<bool>("mustExist");
        using M = gui::FileRequest::Mode;
        const QStringList roms = {"*.bin;*.smd;*.md;*.gen;*.zip;*.7z;*.gz", "*.zip;*.7z;*.gz", "*.smd",
                                  "*.bin", "*.*"};
        QTest::newRow("image") << "cmdOrig"
                               << "txOrig" << int(M::Open) << int(Msg::SelRomBox) << roms << 3 << true;
        QTest::newRow("patch") << "cmdIPS"
                               << "txIPS" << int(M::Open) << int(Msg::SelIPSBox)
                               << QStringList{"*.ips;*.bps;*.ups", "*.*"} << 0 << true;
        QTest::newRow("destination") << "cmdPatched"
                                     << "txPatched" << int(M::Save) << int(Msg::SaveCNV)
                                     << QStringList{"*.bin", "*.smd", "*.*"} << 0 << false;
        QTest::newRow("chunk") << "cmdData"
                               << "txData" << int(M::Open) << int(Msg::SelRomBox) << roms << 4 << true;
    }
    void choosers() {
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(int, mode);
        QFETCH(int, titleKey);
        QFETCH(QStringList, patterns);
        QFETCH(int, initialFilter);
        QFETCH(bool, mustExist);
        child<QCheckBox>("chkData")->setChecked(true);
        auto* b = child<QToolButton>(button.toLatin1().constData());
        auto* t = child<QLineEdit>(box.toLatin1().constData());

        prompt_->fileAnswers.push_back({path("chosen.bin")});
        b->click();
        QCOMPARE(t->text(), path("chosen.bin"));
        QCOMPARE(prompt_->fileRequests.size(), 1);
        const gui::FileRequest& r = prompt_->fileRequests.first();
        QCOMPARE(int(r.mode), mode);
        QCOMPARE(r.title, gui::msg(Msg(titleKey)));
        QStringList got;
        for (const auto& f : r.filters) got << f.patterns;
        QCOMPARE(got, patterns);
        QCOMPARE(r.initialFilter, initialFilter);
        QCOMPARE(r.mustExist, mustExist);

        // A cancelled chooser empties the box.
        prompt_->fileAnswers.push_back({});
        b->click();
        QVERIFY(t->text().isEmpty());
    }

    void missingPaths_data() {
        QTest::addColumn<bool>("orig");
        QTest::addColumn<bool>("ips");
        QTest::addColumn<bool>("patched");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("all empty") << false << false << false << int(Msg::SelRomPErr) << "cmdOrig";
        QTest::newRow("only a patch") << false << true << true << int(Msg::SelRomPErr) << "cmdOrig";
        QTest::newRow("no patch") << true << false << false << int(Msg::SelIPSPErr) << "cmdIPS";
        QTest::newRow("no destination") << true << true << false << int(Msg::SelDstPErr) << "cmdPatched";
    }
    void missingPaths() {
        QFETCH(bool, orig);
        QFETCH(bool, ips);
        QFETCH(bool, patched);
        QFETCH(int, message);
        QFETCH(QString, focus);
        const QString rom = put("game.bin", QByteArray(32, '\0'));
        const QString patch = put("fix.ips", referencePatch());
        fill(orig ? rom : QString(), ips ? patch : QString(), patched ? path("out.bin") : QString());
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickPatch();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg(message)));
        QVERIFY(!prompt_->messages[0].text.isEmpty());
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QCOMPARE(window_->focusWidget(), child<QWidget>(focus.toLatin1().constData()));
        QVERIFY(host_->statusTexts.isEmpty());
        QVERIFY(!QFile::exists(path("out.bin")));
        QCOMPARE(contents(rom), QByteArray(32, '\0'));
    }

    void goodPatch_data() {
        QTest::addColumn<bool>("withChunk");
        QTest::addColumn<bool>("play");
        QTest::newRow("plain, not played") << false << false;
        QTest::newRow("plain, played") << false << true;
        QTest::newRow("with chunk, played") << true << true;
    }
    void goodPatch() {
        QFETCH(bool, withChunk);
        QFETCH(bool, play);
        const QString rom = put("game.bin", QByteArray(32, '\0'));
        const QByteArray chunkBytes = QByteArray(1000, '\x5A');
        fill(rom, put("fix.ips", referencePatch()), path("out.bin"));
        if (withChunk) {
            child<QCheckBox>("chkData")->setChecked(true);
            child<QLineEdit>("txData")->setText(put("extra.dat", chunkBytes));
        }
        prompt_->answers.push_back(play ? PromptAnswer::Yes : PromptAnswer::No);
        clickPatch();

        QCOMPARE(host_->statusTexts, QStringList{gui::msg(Msg::Patching, "%s", rom)});
        QVERIFY(host_->statusTexts[0].contains(rom));
        QCOMPARE(contents(path("out.bin")), referenceResult() + (withChunk ? chunkBytes : QByteArray()));
        QCOMPARE(contents(rom), QByteArray(32, '\0'));
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::PatchedOK));
        QCOMPARE(prompt_->messages[0].title, path("out.bin"));
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Question);
        QCOMPARE(prompt_->messages[0].buttons, gui::PromptButtons::YesNo);
        QCOMPARE(host_->launcherPaths, play ? QStringList{path("out.bin")} : QStringList{});
        QCOMPARE(host_->progressVisible, (QList<bool>{true, false}));
        QVERIFY(child<QPushButton>("cmdPatch")->isEnabled());
    }

    // BPS and UPS patches, known by content whatever their name; UPS both ways.
    void deltaPatches_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("backwards");
        QTest::newRow("BPS") << "bps" << false;
        QTest::newRow("BPS named .ips") << "bps-as-ips" << false;
        QTest::newRow("UPS") << "ups" << false;
        QTest::newRow("UPS backwards") << "ups" << true;
    }
    void deltaPatches() {
        QFETCH(QString, format);
        QFETCH(bool, backwards);
        const QByteArray original = gameImage(4096, 1), modified = edited(original);
        const QByteArray patch =
            format == "ups" ? upsPatch(original, modified) : bpsPatch(original, modified);
        const QString from = put("game.bin", backwards ? modified : original);
        fill(from, put(format == "bps-as-ips" ? "fix.ips" : "fix." + format, patch), path("out.bin"));
        prompt_->answers.push_back(PromptAnswer::No);
        clickPatch();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::PatchedOK));
        QCOMPARE(contents(path("out.bin")), backwards ? original : modified);
    }

    // The commonest mistake: the patch was made for another image. Nothing is written and
    // the box says which image the patch wants; for the right game in SMD layout, it says
    // to convert it first.
    void wrongImageIsRefused_data() {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("number");
        QTest::newRow("another game") << "other" << int(patch::kWrongImageError);
        QTest::newRow("the game as SMD") << "smd" << int(patch::kSmdLayoutImageError);
    }
    void wrongImageIsRefused() {
        QFETCH(QString, image);
        QFETCH(int, number);
        const QByteArray original = gameImage(3 * 16384, 2), modified = edited(original);
        QByteArray given = gameImage(3 * 16384, 9);
        if (image == "smd") {
            const auto smd =
                convert::binToSmd(std::span(reinterpret_cast<const std::uint8_t*>(original.constData()),
                                            static_cast<std::size_t>(original.size())));
            QVERIFY(smd.ok());
            given =
                QByteArray(reinterpret_cast<const char*>(smd.value().data()), qsizetype(smd.value().size()));
        }
        fill(put("game.smd", given), put("fix.bps", bpsPatch(original, modified)), path("out.bin"));
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickPatch();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        const QString text = prompt_->messages[0].text;
        QVERIFY2(text.startsWith(gui::msg(Msg::CantPatch)), qPrintable(text));
        QVERIFY2(text.contains(gui::langValue("Errors", "Patch" + QString::number(number)).left(30)),
                 qPrintable(text));
        QVERIFY2(text.contains(crcOf(original)), qPrintable(text));
        QVERIFY(!QFile::exists(path("out.bin")));
        QVERIFY(!host_->progressVisible.contains(true) || host_->progressVisible.last() == false);
    }

    // What a patch is shows as soon as it is named, before anything is patched.
    void patchLineTellsWhatThePatchIs() {
        const QByteArray original = gameImage(8192, 3), modified = edited(original);
        auto* line = child<QLabel>("lblPatchInfo");
        child<QLineEdit>("txIPS")->setText(put("fix.bps", bpsPatch(original, modified)));
        QTRY_VERIFY(line->text().contains(crcOf(original)));
        QVERIFY(line->text().contains(crcOf(modified)));
        QVERIFY(line->text().startsWith(gui::msg(Msg::PatchInfoBps).left(9)));

        child<QLineEdit>("txIPS")->setText(put("fix.ips", referencePatch()));
        QTRY_COMPARE(line->text(), gui::msg(Msg::PatchInfoIps, "%1", "3"));
        child<QLineEdit>("txIPS")->setText(put("notes.txt", "just some text"));
        QTRY_COMPARE(line->text(), gui::msg(Msg::InvalidIPS));
        child<QLineEdit>("txIPS")->clear();
        QTRY_COMPARE(line->text(), QString());
    }

    // The image to patch may sit in an archive; with several images the user picks one.
    void imageFromAnArchive() {
        if (QStandardPaths::findExecutable("zip").isEmpty()) QSKIP("zip is not installed");
        const QByteArray original = gameImage(4096, 4), modified = edited(original);
        put("a.bin", original);
        put("b.bin", gameImage(4096, 5));
        QProcess zip;
        zip.setWorkingDirectory(dir_->path());
        zip.start("zip", {"-q", "pack.zip", "a.bin", "b.bin"});
        QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
        fill(path("pack.zip"), put("fix.bps", bpsPatch(original, modified)), path("out.bin"));
        prompt_->itemAnswers.push_back("a.bin");
        prompt_->answers.push_back(PromptAnswer::No);
        clickPatch();
        QCOMPARE(prompt_->itemLists, (QList<QStringList>{{"a.bin", "b.bin"}}));
        QCOMPARE(contents(path("out.bin")), modified);
    }

    void chunkQuestion_data() {
        QTest::addColumn<bool>("goOn");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void chunkQuestion() {
        QFETCH(bool, goOn);
        fill(put("game.bin", QByteArray(32, '\0')), put("fix.ips", referencePatch()), path("out.bin"));
        child<QCheckBox>("chkData")->setChecked(true);
        child<QLineEdit>("txData")->clear();
        prompt_->answers.push_back(goOn ? PromptAnswer::Yes : PromptAnswer::No);
        if (goOn) prompt_->answers.push_back(PromptAnswer::No);
        clickPatch();
        QVERIFY(prompt_->messages.size() >= 1);
        QCOMPARE(prompt_->messages[0].text, gui::msg(Msg::SelChunkErr));
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Warning);
        QCOMPARE(prompt_->messages[0].buttons, gui::PromptButtons::YesNo);
        if (goOn) {
            QCOMPARE(prompt_->messages.size(), 2);
            QCOMPARE(prompt_->messages[1].text, gui::msg(Msg::PatchedOK));
            QCOMPARE(contents(path("out.bin")), referenceResult());
        } else {
            QCOMPARE(prompt_->messages.size(), 1);
            QVERIFY(!QFile::exists(path("out.bin")));
        }
        QVERIFY(host_->launcherPaths.isEmpty());
    }

    void failures_data() {
        QTest::addColumn<QByteArray>("patch");
        QTest::addColumn<bool>("missingImage");
        QTest::addColumn<QString>("description");  // empty: InvalidIPS
        QTest::newRow("not a patch") << QByteArray("NOTAPATCHEOF") << false << QString();
        QTest::newRow("no EOF") << QByteArray("PATCH\0\0\1\0\1\x7F", 11) << false << QString();
        QTest::newRow("damaged") << QByteArray(
                                        "PATCH\0\0\1\0\x09\x01"
                                        "EOF",
                                        14)
                                 << false << "damaged";
        QTest::newRow("missing image") << referencePatch() << true << "missing.bin";
    }
    void failures() {
        QFETCH(QByteArray, patch);
        QFETCH(bool, missingImage);
        QFETCH(QString, description);
        const QString rom = missingImage ? path("missing.bin") : put("game.bin", QByteArray(32, '\x11'));
        fill(rom, put("bad.ips", patch), path("out.bin"));
        prompt_->answers.push_back(PromptAnswer::Ok);
        clickPatch();
        QCOMPARE(prompt_->messages.size(), 1);
        const gui::MessageRequest& m = prompt_->messages[0];
        QCOMPARE(m.icon, PromptIcon::Error);
        if (description.isEmpty()) {
            QCOMPARE(m.text, cantPatch(gui::msg(Msg::InvalidIPS)));
            QVERIFY(!gui::msg(Msg::InvalidIPS).isEmpty());
        } else {
            QVERIFY2(m.text.startsWith(cantPatch(QString())), qPrintable(m.text));
            QVERIFY2(m.text.contains(description), qPrintable(m.text));
        }
        QVERIFY(!QFile::exists(path("out.bin")));
        if (!missingImage) QCOMPARE(contents(rom), QByteArray(32, '\x11'));
        QVERIFY(host_->launcherPaths.isEmpty());
        QVERIFY(!host_->progressVisible.contains(true));
        QVERIFY(child<QPushButton>("cmdPatch")->isEnabled());
    }

    void destinationMayBeTheSource() {
        const QString rom = put("game.bin", QByteArray(32, '\0'));
        fill(rom, put("fix.ips", referencePatch()), rom);
        prompt_->answers.push_back(PromptAnswer::No);
        clickPatch();
        QCOMPARE(contents(rom), referenceResult());
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"fix.ips", "game.bin"}));
    }

    void patchButtonDisabledWhilePatching() {
        QByteArray records;
        for (int i = 0; i < 300; ++i) records += dataRecord(i * 4, "\x01\x02\x03\x04");
        const QByteArray patch = ipsPatch(records);
        fill(put("game.bin", QByteArray(32, '\0')), put("fix.ips", patch), path("out.bin"));
        QList<bool> enabledDuringRun;
        host_->onProgress = [&] {
            enabledDuringRun << child<QPushButton>("cmdPatch")->isEnabled();
            // A second click meanwhile must not start another run.
            QTest::mouseClick(child<QPushButton>("cmdPatch"), Qt::LeftButton);
        };
        prompt_->answers.push_back(PromptAnswer::No);
        clickPatch();
        QVERIFY(!enabledDuringRun.isEmpty());
        QVERIFY(!enabledDuringRun.contains(true));
        // The bar repaints at screen rate at most, and ends on the last record's position.
        QVERIFY(host_->progressCalls <= 101);
        QCOMPARE(host_->lastMax, int(patch.size()));
        QCOMPARE(host_->lastValue, int(patch.size()) - 2);
        QCOMPARE(host_->statusTexts.size(), 1);
        QCOMPARE(prompt_->messages.size(), 1);
        QVERIFY(child<QPushButton>("cmdPatch")->isEnabled());
    }

    // Closing the patcher while it patches stops at the next step: nothing is written,
    // nothing lies beside the destination.
    void closingWhilePatchingWritesNothing() {
        QByteArray records;
        for (int i = 0; i < 400000; ++i) records += runRecord(i * 64, 64, char(i));
        fill(put("game.bin", QByteArray(64 << 20, '\0')), put("big.ips", ipsPatch(records)), path("out.bin"));
        QTest::mouseClick(child<QPushButton>("cmdPatch"), Qt::LeftButton);
        QVERIFY(window_->working());
        QPointer<gui::ToolWindow> alive(window_);
        window_->close();
        QVERIFY(!alive || !alive->working());
        QVERIFY(!QFile::exists(path("out.bin")));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"big.ips", "game.bin"}));
        QCOMPARE(prompt_->messages.size(), 0);
    }

    void closeUnloads() {
        QSignalSpy unloaded(window_, &gui::ToolWindow::unloaded);
        QPointer<gui::ToolWindow> alive(window_);
        QTest::mouseClick(child<QPushButton>("cmdClose"), Qt::LeftButton);
        QCOMPARE(unloaded.count(), 1);
        QTRY_VERIFY(alive.isNull());
        window_ = nullptr;
    }

    void drops_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("patchedBefore");
        QTest::addColumn<QString>("orig");
        QTest::addColumn<QString>("ips");
        QTest::addColumn<QString>("patched");
        QTest::newRow("patch") << QStringList{"/r/fix.IPS"} << ""
                               << ""
                               << "/r/fix.IPS"
                               << "";
        QTest::newRow("image") << QStringList{"/r/game.bin"} << ""
                               << "/r/game.bin"
                               << ""
                               << "/r/game_patched.bin";
        QTest::newRow("image keeps a destination") << QStringList{"/r/game.smd"} << "/x/mine.bin"
                                                   << "/r/game.smd"
                                                   << ""
                                                   << "/x/mine.bin";
        QTest::newRow("both at once") << QStringList{"/r/a.ips", "/r/game"} << ""
                                      << "/r/game"
                                      << "/r/a.ips"
                                      << "/r/game_patched";
    }
    void drops() {
        QFETCH(QStringList, files);
        QFETCH(QString, patchedBefore);
        QFETCH(QString, orig);
        QFETCH(QString, ips);
        QFETCH(QString, patched);
        child<QLineEdit>("txPatched")->setText(patchedBefore);
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
        QCOMPARE(child<QLineEdit>("txOrig")->text(), orig);
        QCOMPARE(child<QLineEdit>("txIPS")->text(), ips);
        QCOMPARE(child<QLineEdit>("txPatched")->text(), patched);
    }
};

QTEST_MAIN(IpsPatcherTest)
#include "frm_ips_patcher.moc"
