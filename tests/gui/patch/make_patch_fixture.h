#pragma once

// What the patch maker's window tests share: a stand-in main window, images made in code,
// and the window with shortcuts to its controls.
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
#include "gui/patch/frm_make_patch.h"
#include "gui/support/scripted.h"

namespace vantorel::test {

using gui::PromptAnswer;
using gui::PromptIcon;
using lang::Msg;
using patch::PatchFormat;

inline const QString kMakeSection = QStringLiteral("frmMakePatch");

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
    void openToolWith(gui::ToolId, const QStringList&) override {}
    QWidget* dialogParent() override { return nullptr; }
};

// Bytes without pattern, the same for the same seed.
inline QByteArray noise(qsizetype size, quint64 seed) {
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

inline Bytes toBytes(const QByteArray& b) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(b.constData()),
                 reinterpret_cast<const std::uint8_t*>(b.constData()) + b.size());
}

inline QByteArray fromBytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// A 64 MiB pair, written once for the whole program and removed at its end: making a BPS
// patch from it takes seconds, long enough to close the window in the middle.
struct LargePair {
    QTemporaryDir dir;
    QString orig = dir.filePath("large.bin");
    QString mod = dir.filePath("large_mod.bin");
    LargePair() {
        for (const auto& [file, seed] : {std::pair{orig, 1}, std::pair{mod, 2}}) {
            QFile f(file);
            if (!f.open(QIODevice::WriteOnly) || f.write(noise(64 << 20, seed)) != (64 << 20))
                qFatal("cannot write the large pair");
        }
    }
};
inline const LargePair& largePair() {
    static const LargePair pair;
    return pair;
}

// The window under test, rebuilt for every test function, and what it asked of the user
// and of the main window.
class MakePatchFixture {
protected:
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

    void setUp() {
        test::useLanguage(QStringLiteral("English"));
        dir_ = std::make_unique<QTemporaryDir>();
        prompt_ = std::make_unique<test::ScriptedPrompt>();
        host_ = std::make_unique<ProbeHost>();
        newWindow();
        QCOMPARE(window_->objectName(), kMakeSection);
    }
    void tearDown() {
        delete window_;
        QCOMPARE(prompt_->unexpected, 0);
        host_.reset();
        prompt_.reset();
        dir_.reset();
    }
};

}  // namespace vantorel::test
