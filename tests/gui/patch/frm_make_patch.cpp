#include "gui/patch/frm_make_patch.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <functional>
#include <memory>

#include "engine/patch/make_patch.h"
#include "engine/patch/patch_format.h"
#include "engine/support/archive_builder.h"
#include "gui/common/error_text.h"
#include "gui/common/host.h"
#include "gui/common/tool_window.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"

using namespace vantorel;
using gui::PromptAnswer;
using gui::PromptIcon;
using lang::Msg;
using patch::PatchFormat;

namespace {

const QString kSection = QStringLiteral("frmMakePatch");

// Records what the window asks of the main window, and lets a test act while the bar moves.
class ProbeHost final : public gui::ShellHost {
public:
    ProbeHost() { gui::setHost(this); }
    ~ProbeHost() override { gui::setHost(nullptr); }

    QStringList statusTexts;
    QList<bool> progressVisible;
    int lastMax = -1, lastValue = -1;
    std::function<void()> onProgress;

    void setStatusText(const QString& text) override { statusTexts << text; }
    void showProgress(int max, int value, const QString&, bool) override {
        lastMax = max;
        lastValue = value;
        if (onProgress) onProgress();
    }
    void setProgressVisible(bool visible) override { progressVisible << visible; }
    void showInLauncher(const QString&) override {}
    void openTool(gui::ToolId) override {}
    QWidget* dialogParent() override { return nullptr; }
};

// Bytes without pattern, the same for the same seed.
QByteArray noise(qsizetype size, quint64 seed) {
    QByteArray b(size, Qt::Uninitialized);
    quint64 x = seed * 0x9E3779B97F4A7C15ull + 1;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        b[i] = char(x);
    }
    return b;
}

Bytes toBytes(const QByteArray& b) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(b.constData()),
                 reinterpret_cast<const std::uint8_t*>(b.constData()) + b.size());
}

QByteArray fromBytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// A 64 MiB pair, written once for the whole program: making a BPS patch from it takes
// seconds, long enough to close the window in the middle.
struct LargePair {
    QTemporaryDir dir;
    QString orig, mod;
};
const LargePair& largePair() {
    static LargePair* pair = [] {
        auto* p = new LargePair;
        p->orig = p->dir.filePath("large.bin");
        p->mod = p->dir.filePath("large_mod.bin");
        for (const auto& [path, seed] : {std::pair{p->orig, 1}, std::pair{p->mod, 2}}) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(noise(64 << 20, seed)) != (64 << 20))
                qFatal("cannot write the large pair");
        }
        return p;
    }();
    return *pair;
}

}  // namespace

class MakePatchTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<test::ScriptedPrompt> prompt_;
    std::unique_ptr<ProbeHost> host_;
    QPointer<gui::ToolWindow> window_;

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
    // Every name in the folder, hidden ones too (a temporary file left behind shows here).
    QStringList folder() const {
        return QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    void fill(const QString& orig, const QString& mod, const QString& out) {
        child<QLineEdit>("txOrig")->setText(orig);
        child<QLineEdit>("txMod")->setText(mod);
        child<QLineEdit>("txPatchOut")->setText(out);
    }
    void choose(PatchFormat format) {
        child<QRadioButton>(format == PatchFormat::Ips ? "optIps" : "optBps")->click();
    }
    // The make runs on a worker: waits until the window is idle again.
    void clickMake() {
        QTest::mouseClick(child<QPushButton>("cmdMake"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->working(), 60000);
    }
    QString cantMake(const QString& description) const {
        return gui::msg(Msg::CantMakePatch) + QStringLiteral("\r\n\r\n") + description;
    }
    void newWindow() {
        delete window_;
        window_ = new gui::frmMakePatch;
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    // The patch on disk turns the original into the modified image.
    void verifyPatch(const QString& patchFile, PatchFormat format, const QByteArray& orig,
                     const QByteArray& mod) {
        const Bytes patchBytes = toBytes(contents(patchFile));
        QVERIFY(patch::detectPatchFormat(patchBytes) == std::optional<PatchFormat>(format));
        auto applied = patch::applyPatch(toBytes(orig), patchBytes);
        QVERIFY2(applied.ok(), applied.ok() ? "" : applied.error().description().c_str());
        QVERIFY(fromBytes(applied.value().image) == mod);
    }

private slots:
    void init() {
        test::useLanguage(QStringLiteral("English"));
        dir_ = std::make_unique<QTemporaryDir>();
        prompt_ = std::make_unique<test::ScriptedPrompt>();
        host_ = std::make_unique<ProbeHost>();
        newWindow();
        QCOMPARE(window_->objectName(), kSection);
    }
    void cleanup() {
        delete window_;
        QCOMPARE(prompt_->unexpected, 0);
        host_.reset();
        prompt_.reset();
        dir_.reset();
    }

    void localises_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "English";
        QTest::newRow("Espanol") << "Espanol";
    }
    void localises() {
        QFETCH(QString, language);
        test::useLanguage(language);
        newWindow();
        QCOMPARE(window_->windowTitle(), gui::langValue(kSection, "Caption"));
        QVERIFY(!window_->windowTitle().isEmpty());
        for (const char* name : {"cmdMake", "cmdClose", "optIps", "optBps"}) {
            auto* b = child<QAbstractButton>(name);
            QCOMPARE(b->text(), gui::langValue(kSection, name));
            QVERIFY(b->text().contains('&'));
        }
        for (const char* name : {"lblOrig", "lblMod", "lblPatchOut", "lblInfo"}) {
            QCOMPARE(child<QLabel>(name)->text(), gui::langValue(kSection, name));
            QVERIFY(!child<QLabel>(name)->text().isEmpty());
        }
        for (const char* name : {"fMake", "fFormat"}) {
            QCOMPARE(child<QGroupBox>(name)->title(), gui::langValue(kSection, name));
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
