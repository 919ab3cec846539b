#include "gui/rom/frm_head_edit.h"

#include <zlib.h>

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <cstring>
#include <memory>

#include "engine/common/file_io.h"
#include "engine/support/file_size_limit.h"
#include "gui/lang/app_state.h"
#include "gui/rom/license_model.h"
#include "gui/support/scripted.h"

using namespace vantorel;
using namespace vantorel::gui;
using lang::Msg;
using vantorel::test::RecordingHost;
using vantorel::test::ScriptedPrompt;

namespace {

// A 0x300-byte image with a header and a correct checksum (0x1233 over 0x200-0x203).
QByteArray makeImage(bool goodChecksum = true) {
    QByteArray b(0x300, '\0');
    auto put = [&](int at, const QByteArray& s) { b.replace(at, s.size(), s); };
    put(0x100, "SEGA MEGA DRIVE ");
    put(0x110, "(C)SEGA 1991.APR");
    put(0x120, "SONIC THE HEDGEHOG");
    put(0x150, "SONIC \xC9");
    put(0x180, "GM 00001009-00");
    put(0x190, "GJ6             ");
    put(0x1B0, QByteArray("BACKUP\0\0\xF8\x20", 10));
    put(0x1F0, "JUE");
    b[0x1A0] = '\x5A';
    b[0x1F5] = '\x77';
    b[0x200] = '\x12';
    b[0x201] = '\x34';
    b[0x202] = '\xFF';
    b[0x203] = '\xFF';
    b[0x18E] = goodChecksum ? '\x12' : '\x00';
    b[0x18F] = goodChecksum ? '\x33' : '\x00';
    return b;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <typename T>
T* indexed(QWidget* w, const char* name, int index) {
    for (T* c : w->findChildren<T*>(QString::fromLatin1(name)))
        if (c->property("index").toInt() == index) return c;
    return nullptr;
}

}  // namespace

class HeadEditorTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<ScriptedPrompt> prompt_;
    std::unique_ptr<RecordingHost> host_;
    std::unique_ptr<frmHeadEdit> editor_;

    QString file(const QString& name) const { return dir_.filePath(name); }
    QLineEdit* edit(const char* name) { return editor_->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QAbstractButton* button(const char* name) {
        return editor_->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    LicenseModel* region() { return editor_->findChild<LicenseModel*>(QStringLiteral("lmReg")); }

    // Loading and saving run on a worker: waits until the editor is idle again.
    void settle() { QTRY_VERIFY_WITH_TIMEOUT(!editor_->busy(), 20000); }
    // Browses to `path`, answering the chooser.
    void browseTo(const QString& path) {
        prompt_->fileAnswers.push_back({path});
        button("cmdBrowse")->click();
        settle();
    }
    QString loadGood(const QString& name = QStringLiteral("game.bin")) {
        const QString path = file(name);
        writeFile(path, makeImage());
        browseTo(path);
        return path;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        test::useLanguage();
    }
    void init() {
        prompt_ = std::make_unique<ScriptedPrompt>();
        host_ = std::make_unique<RecordingHost>();
        editor_ = std::make_unique<frmHeadEdit>();
        editor_->show();
    }
    void cleanup() {
        // Taken down before judging, so a failed case cannot leave its window to the next.
        const int unexpected = prompt_->unexpected;
        const bool allAnswered = prompt_->answers.empty();
        editor_.reset();
        host_.reset();
        prompt_.reset();
        QCOMPARE(unexpected, 0);
        QVERIFY(allAnswered);
    }

    void opensEmptyWithOnlyBrowseAndClose() {
        QCOMPARE(editor_->objectName(), QStringLiteral("frmHeadEdit"));
        QCOMPARE(editor_->windowTitle(), langValue("frmHeadEdit", "Caption"));
        QVERIFY(button("cmdBrowse")->isEnabled());
        QVERIFY(button("cmdExit")->isEnabled());
        QVERIFY(!edit("txFile")->isEnabled());
        for (const char* name :
             {"txDestination", "txCopyRight", "txDomestic", "txOverseas", "tcMainCode", "txComment"}) {
            QVERIFY2(!edit(name)->isEnabled(), name);
            QCOMPARE(edit(name)->font().family(),
                     QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
            QCOMPARE(edit(name)->palette().color(QPalette::Base),
                     QApplication::palette().color(QPalette::Inactive, QPalette::Window));
        }
        for (const char* name : {"cmdRec", "cmdRecComo", "cmdPlay"})
            QVERIFY2(!button(name)->isEnabled(), name);
        QVERIFY(!region()->isEnabled());
        for (int i = 0; i < 14; ++i) {
            QCheckBox* box = indexed<QCheckBox>(editor_.get(), "chkDev", i);
            QVERIFY(box);
            QVERIFY(!box->isEnabled());
            QCOMPARE(box->text(), langValue("chkDev", QString::number(i)));
        }
        for (int i = 0; i < 6; ++i)
            QCOMPARE(indexed<QLabel>(editor_.get(), "sName", i)->text(),
                     langValue("sName", QString::number(i)));
        QCOMPARE(button("cmdRec")->text(), langValue("frmHeadEdit", "cmdRec"));
        QVERIFY(!langValue("frmHeadEdit", "cmdRec").isEmpty());
        // The region control localises its own children.
        QCOMPARE(region()->findChild<QCheckBox*>("chkOVPAL")->text(), langValue("RegCodes", "chkOVPAL"));
        QCOMPARE(indexed<QRadioButton>(region(), "chkLicModel", 1)->text(),
                 langValue("RegCodes", "chkLicModel(1)"));
    }

    void loadShowsEveryFieldWithProgress() {
        const QString path = loadGood();
        QCOMPARE(edit("txFile")->text(), path);
        QCOMPARE(edit("txDestination")->text(), QStringLiteral("SEGA MEGA DRIVE "));
        QCOMPARE(edit("txCopyRight")->text(), QStringLiteral("(C)SEGA 1991.APR"));
        QCOMPARE(edit("txDomestic")->text().left(18), QStringLiteral("SONIC THE HEDGEHOG"));
        QCOMPARE(edit("txOverseas")->text().left(7), QStringLiteral("SONIC ") + QChar(0xC9));
        QCOMPARE(edit("tcMainCode")->text(), QStringLiteral("GM 00001009-00"));
        QCOMPARE(edit("txComment")->text().left(10), QStringLiteral("BACKUP  ") + QChar(0xF8) + QChar(' '));
        QCOMPARE(edit("txComment")->text().size(), 64);
        QString ticked;
        for (int i = 0; i < 14; ++i)
            if (indexed<QCheckBox>(editor_.get(), "chkDev", i)->isChecked())
                ticked += QString::number(i) + ",";
        QCOMPARE(ticked, QStringLiteral("0,1,"));
        QCOMPARE(region()->LicenseCode(), QStringLiteral("JUE"));
        QVERIFY(!region()->NewLicenseModel());
        QCOMPARE(editor_->windowTitle(), langValue("frmHeadEdit", "Caption") + " - " + path);
        QCOMPARE(host_->statusTexts.last(), msg(Msg::ReadyToEdit, "%r", path));
        QVERIFY(button("cmdRec")->isEnabled());
        QVERIFY(edit("txComment")->isEnabled());
        // Progress of 10 through the fields, the bar shown then hidden; no question (checksum good).
        QList<int> values;
        for (const auto& p : host_->progress)
            if (p.max == 10) values << p.value;
        QCOMPARE(values, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        QCOMPARE(host_->progressVisible, (QList<bool>{true, false}));
        QVERIFY(prompt_->messages.isEmpty());
        QCOMPARE(editor_->checksumPair().computed(), 0x1233);
    }

    void cancelledBrowseKeepsThePath() {
        const QString path = loadGood();
        prompt_->fileAnswers.push_back({});
        button("cmdBrowse")->click();
        QCOMPARE(edit("txFile")->text(), path);
        QCOMPARE(prompt_->fileRequests.last().title, msg(Msg::LoadBinT));
    }

    void untouchedSaveWritesTheSameBytes() {
        const QString path = loadGood();
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].text, msg(Msg::OverwriteMSG));
        QCOMPARE(prompt_->messages[0].title, path);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Warning);
        QCOMPARE(readFile(path), makeImage());
        QCOMPARE(host_->statusTexts.last(), msg(Msg::SavedAsMsg, "%r", path));
        QList<int> values;
        for (const auto& p : host_->progress)
            if (p.max == 9) values << p.value;
        QCOMPARE(values, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        QCOMPARE(host_->progressVisible.mid(2), (QList<bool>{true, false}));
    }

    void everyByteSurvivesLoadAndSave() {
        QByteArray image(0x400, '\0');
        for (int i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        image.replace(0x1F0, 3, "J  ");  // a region string the control keeps as it is
        const QString path = file("bytes.bin");
        writeFile(path, image);
        prompt_->answers = {PromptAnswer::No};  // its checksum is wrong: decline
        browseTo(path);
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        QCOMPARE(readFile(path), image);
    }

    void editedFieldsAreWrittenByTheirRules() {
        const QString path = loadGood();
        edit("txDestination")->setText("SEGA GENESIS");
        edit("txComment")->setText("HELLO");
        indexed<QCheckBox>(editor_.get(), "chkDev", 13)->click();  // M
        region()->findChild<QCheckBox*>("chkEurOld")->click();     // untick E
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        QByteArray expected = makeImage();
        expected.replace(0x100, 16, QByteArray("SEGA GENESIS\0\0\0\0", 16));
        expected.replace(0x190, 16, "J6MG            ");
        expected.replace(0x1B0, 64, QByteArray("HELLO") + QByteArray(59, '\0'));
        expected.replace(0x1F0, 3, "JU ");
        QCOMPARE(readFile(path), expected);
    }

    void declinedSaveWritesNothing() {
        const QString path = loadGood();
        edit("txDestination")->setText("CHANGED");
        prompt_->answers = {PromptAnswer::No};
        button("cmdRec")->click();
        settle();
        QCOMPARE(readFile(path), makeImage());
    }

    void saveAsMovesTheWindowToTheNewPath() {
        const QString path = loadGood();
        const QString other = file("copy.bin");
        edit("tcMainCode")->setText("GM 1");
        prompt_->fileAnswers.push_back({other});
        button("cmdRecComo")->click();
        settle();
        QVERIFY(prompt_->messages.isEmpty());  // save as asks nothing
        QCOMPARE(prompt_->fileRequests.last().title, msg(Msg::SaveRF));
        QCOMPARE(readFile(path), makeImage());
        QCOMPARE(readFile(other).mid(0x180, 14), QByteArray("GM 1\0\0\0\0\0\0\0\0\0\0", 14));
        QCOMPARE(edit("txFile")->text(), other);
        QCOMPARE(editor_->romPath(), other);
        QCOMPARE(editor_->windowTitle(), langValue("frmHeadEdit", "Caption") + " - " + other);
        QCOMPARE(host_->statusTexts.last(), msg(Msg::SavedAsMsg, "%r", other));
        // A later save goes to the new path.
        edit("tcMainCode")->setText("GM 2");
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        QCOMPARE(prompt_->messages.last().title, other);
        QCOMPARE(readFile(other).mid(0x180, 4), QByteArray("GM 2"));
        QCOMPARE(readFile(path), makeImage());
    }

    void checksumQuestions_data() {
        QTest::addColumn<QList<PromptAnswer>>("answers");
        QTest::addColumn<bool>("fixed");
        using A = PromptAnswer;
        QTest::newRow("no to the first") << QList<A>{A::No} << false;
        QTest::newRow("no to the warning") << QList<A>{A::Yes, A::No} << false;
        QTest::newRow("no to overwrite") << QList<A>{A::Yes, A::Yes, A::No} << false;
        QTest::newRow("yes three times") << QList<A>{A::Yes, A::Yes, A::Yes} << true;
    }
    void checksumQuestions() {
        QFETCH(QList<PromptAnswer>, answers);
        QFETCH(bool, fixed);
        const QString path = file("bad.bin");
        const QByteArray bad = makeImage(false);
        writeFile(path, bad);
        for (auto a : answers) prompt_->answers.push_back(a);
        browseTo(path);
        QCOMPARE(prompt_->messages.size(), answers.size());
        const QList<MessageRequest> expected = {
            {PromptIcon::Warning, PromptButtons::YesNo, PromptAnswer::Yes, path, msg(Msg::BadChecksum)},
            {PromptIcon::Warning, PromptButtons::YesNo, PromptAnswer::Yes, appTitle(),
             msg(Msg::WarningChecksum1) + "\n" + msg(Msg::WarningChecksum2)},
            {PromptIcon::Warning, PromptButtons::YesNo, PromptAnswer::Yes, path, msg(Msg::OverwriteMSG)},
        };
        for (int i = 0; i < answers.size(); ++i) {
            QCOMPARE(prompt_->messages[i].text, expected[i].text);
            QCOMPARE(prompt_->messages[i].title, expected[i].title);
            QCOMPARE(prompt_->messages[i].icon, PromptIcon::Warning);
            QCOMPARE(prompt_->messages[i].buttons, PromptButtons::YesNo);
        }
        QByteArray after = bad;
        if (fixed) {
            after[0x18E] = '\x12';
            after[0x18F] = '\x33';
            QCOMPARE(host_->statusTexts.last(), msg(Msg::SavedAsMsg, "%r", path));
        }
        QCOMPARE(readFile(path), after);
        QCOMPARE(editor_->document()->image(), Bytes(after.begin(), after.end()));
    }

    void refusedShortFile_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one byte") << 1;
        QTest::newRow("one short of the region") << 0x1F2;
    }
    void refusedShortFile() {
        QFETCH(int, size);
        const QString good = loadGood();
        edit("txDestination")->setText("UNSAVED EDIT");
        const int statuses = host_->statusTexts.size();
        const QString shortPath = file("short.bin");
        writeFile(shortPath, QByteArray(size, 'A'));
        prompt_->answers = {PromptAnswer::Ok};
        browseTo(shortPath);
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].title, shortPath);
        QVERIFY2(prompt_->messages[0].text.contains("too short"), qPrintable(prompt_->messages[0].text));
        QCOMPARE(edit("txFile")->text(), good);
        QCOMPARE(editor_->romPath(), good);
        QCOMPARE(edit("txDestination")->text(), QStringLiteral("UNSAVED EDIT"));
        QCOMPARE(editor_->windowTitle(), langValue("frmHeadEdit", "Caption") + " - " + good);
        QCOMPARE(host_->statusTexts.size(), statuses);  // no ready message
        QCOMPARE(host_->progressVisible.last(), false);
        QCOMPARE(readFile(shortPath), QByteArray(size, 'A'));
    }

    void refusedFileLeavesAFreshEditorEmpty() {
        const QString shortPath = file("tiny.bin");
        writeFile(shortPath, QByteArray());
        prompt_->answers = {PromptAnswer::Ok};
        editor_->LoadFromCmd(shortPath);
        settle();
        QCOMPARE(prompt_->messages.size(), 1);
        QVERIFY(edit("txFile")->text().isEmpty());
        QVERIFY(!button("cmdRec")->isEnabled());
        QCOMPARE(editor_->windowTitle(), langValue("frmHeadEdit", "Caption"));
    }

    void missingPath_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such file") << "missing.bin";
        QTest::newRow("no such folder") << "nofolder/missing.bin";
    }
    void missingPath() {
        QFETCH(QString, name);
        const QString good = loadGood();
        const int statuses = host_->statusTexts.size();
        const QString missing = file(name);
        prompt_->answers = {PromptAnswer::Ok};
        editor_->takePath(missing);
        settle();
        QCOMPARE(prompt_->messages.size(), 1);
        QCOMPARE(prompt_->messages[0].title, missing);
        QCOMPARE(prompt_->messages[0].icon, PromptIcon::Error);
        QCOMPARE(prompt_->messages[0].text, QString::fromStdString(systemErrorText(ENOENT)));
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(host_->statusTexts.size(), statuses);
        QCOMPARE(host_->progressVisible.last(), false);
        // The image shown is still the one loaded, and the path box, the caption and the
        // save all name it.
        QCOMPARE(editor_->romPath(), good);
        QCOMPARE(edit("txFile")->text(), good);
        QCOMPARE(editor_->windowTitle(), langValue("frmHeadEdit", "Caption") + " - " + good);
    }

    void failedSaveKeepsTheOriginal() {
        const QString path = loadGood();
        edit("txDestination")->setText("NEW");
        prompt_->answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        {
            // A disk that fills up after 16 bytes.
            vantorel::test::ScopedFileSizeLimit full(16);
            button("cmdRec")->click();
            settle();
        }
        QCOMPARE(prompt_->messages.size(), 2);
        // What the user reads first, then why.
        QVERIFY(prompt_->messages[1].text.startsWith(msg(Msg::ErrString) + "\n\n"));
        QCOMPARE(prompt_->messages[1].buttons, PromptButtons::Ok);
        QCOMPARE(host_->statusTexts.last(), msg(Msg::ErrString));
        QCOMPARE(host_->progressVisible.last(), false);
        QCOMPARE(readFile(path), makeImage());
        QVERIFY(QDir(dir_.path()).entryList({".game.bin*"}, QDir::Files | QDir::Hidden).isEmpty());

        // Save as into a folder that is gone: nothing is created, the window stays put.
        const QString gone = file("gone/copy.bin");
        prompt_->fileAnswers.push_back({gone});
        prompt_->answers = {PromptAnswer::Ok};
        button("cmdRecComo")->click();
        settle();
        QVERIFY(prompt_->messages.last().text.startsWith(msg(Msg::ErrString)));
        QVERIFY(!QFile::exists(gone));
        QCOMPARE(editor_->romPath(), path);
        QCOMPARE(edit("txFile")->text(), path);
    }

    void dropLoadsLikeBrowse() {
        const QString path = file("dropped.bin");
        writeFile(path, makeImage());
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor_.get(), &drop);
        settle();
        QCOMPARE(edit("txFile")->text(), path);
        QCOMPARE(editor_->romPath(), path);
        QCOMPARE(edit("tcMainCode")->text(), QStringLiteral("GM 00001009-00"));
        QCOMPARE(host_->statusTexts.last(), msg(Msg::ReadyToEdit, "%r", path));

        // Dropped on a text box, the file loads too instead of landing in the box as text.
        const QString second = file("second.bin");
        QByteArray image = makeImage();
        image.replace(0x180, 4, "T-99");
        writeFile(second, image);
        QMimeData both;
        both.setUrls({QUrl::fromLocalFile(second)});
        both.setText(second);
        QDragEnterEvent enterBox(QPoint(2, 2), Qt::CopyAction, &both, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit("txComment"), &enterBox);
        QVERIFY(enterBox.isAccepted());
        QDropEvent onBox(QPointF(2, 2), Qt::CopyAction, &both, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit("txComment"), &onBox);
        settle();
        QCOMPARE(editor_->romPath(), second);
        QCOMPARE(edit("tcMainCode")->text().left(4), QStringLiteral("T-99"));
        QVERIFY(!edit("txComment")->text().contains(second));
    }

    void playHandsThePathToTheLauncher() {
        const QString path = loadGood();
        button("cmdPlay")->click();
        QCOMPARE(host_->launcherPaths, QStringList{path});
    }

    // Every way out unloads the same way: the close button, or the frame's close box.
    void closeSaysTheAppMessage_data() {
        QTest::addColumn<bool>("button");
        QTest::newRow("close button") << true;
        QTest::newRow("frame close box") << false;
    }
    void closeSaysTheAppMessage() {
        QFETCH(bool, button);
        loadGood();
        SetStatusText("a tool's text");
        if (button)
            this->button("cmdExit")->click();
        else
            editor_->close();
        QCOMPARE(host_->statusTexts.last(), appMessage());
        QVERIFY(!editor_->document());
    }

    // A box shows its text up to the first zero byte and takes typing after it; what is
    // typed goes back zero padded; a field nobody touched goes back byte for byte, whatever
    // it holds after its first zero.
    void zeroPaddedFieldsTakeTypingAndUntouchedOnesKeepTheirBytes() {
        QByteArray image = makeImage();
        image.replace(0x100, 16, QByteArray("SEGA\0\0\0\0\0\0\0\0\0\0\0\0", 16));
        image.replace(0x110, 16, QByteArray("(C)\0JUNK\0\0\0\0\0\0\0\0", 16));
        const QString path = file("padded.bin");
        writeFile(path, image);
        browseTo(path);
        QCOMPARE(edit("txDestination")->text(), QStringLiteral("SEGA"));
        QCOMPARE(edit("txCopyRight")->text(), QStringLiteral("(C)"));
        edit("txDestination")->setFocus();
        QTest::keyClick(edit("txDestination"), Qt::Key_End);
        QTest::keyClicks(edit("txDestination"), "XYZW");
        QCOMPARE(edit("txDestination")->text(), QStringLiteral("SEGAXYZW"));
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        QByteArray expected = image;
        expected.replace(0x100, 16, QByteArray("SEGAXYZW\0\0\0\0\0\0\0\0", 16));
        QCOMPARE(readFile(path), expected);

        // Rubbing out and typing anew gives the new text, zero padded, and nothing of the old.
        for (int i = 0; i < 8; ++i) QTest::keyClick(edit("txDestination"), Qt::Key_Backspace);
        QTest::keyClicks(edit("txDestination"), "ABCD");
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        expected.replace(0x100, 16, QByteArray("ABCD\0\0\0\0\0\0\0\0\0\0\0\0", 16));
        QCOMPARE(readFile(path), expected);
    }

    void longBoxesShowTheirStart() {
        QByteArray image = makeImage();
        image.replace(0x120, 48, QByteArray("SONIC THE HEDGEHOG").leftJustified(48, ' '));
        image.replace(0x1B0, 64, QByteArray("BACKUP RAM").leftJustified(64, ' '));
        const QString path = file("long.bin");
        writeFile(path, image);
        browseTo(path);
        for (const char* name :
             {"txDestination", "txCopyRight", "txDomestic", "txOverseas", "tcMainCode", "txComment"})
            QVERIFY2(edit(name)->cursorPosition() == 0, name);
    }

    // Closing the editor while it writes stops nothing half way: the file is the old one or
    // the new one, whole, and nothing is left beside it.
    void closingWhileSavingLeavesAWholeFile() {
        QByteArray image = makeImage();
        image.append(QByteArray(48 << 20, '\x5A'));
        const QString path = file("large.bin");
        writeFile(path, image);
        prompt_->answers = {PromptAnswer::No};  // its checksum is wrong: decline
        browseTo(path);
        edit("txDestination")->setText("CHANGED");
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        QVERIFY(editor_->busy());
        editor_->close();
        QVERIFY(!editor_->busy());
        const QByteArray after = readFile(path);
        QCOMPARE(after.size(), image.size());
        QVERIFY(after.mid(0x100, 7) == "CHANGED" || after == image);
        QCOMPARE(QDir(dir_.path()).entryList({".large.bin*"}, QDir::Files | QDir::Hidden).size(), 0);
    }

    // One line under the path tells the image's size, layout and hashes, to check it
    // against a list.
    // After a save it tells the file as saved.
    void identityLineShowsSizeLayoutAndHashes() {
        const QString path = loadGood();
        const auto shows = [this](const QByteArray& bytes) {
            const QString line = editor_->findChild<QLabel*>("lblIdentity")->text();
            QVERIFY2(line.contains("BIN"), qPrintable(line));
            QVERIFY2(line.contains(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()),
                     qPrintable(line));
            const quint32 crc = static_cast<quint32>(
                ::crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
            QVERIFY2(line.contains(QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0'))), qPrintable(line));
            QVERIFY2(line.contains(QLocale().formattedDataSize(bytes.size(), 2, QLocale::DataSizeIecFormat)),
                     qPrintable(line));
        };
        shows(readFile(path));
        if (QTest::currentTestFailed()) return;
        edit("tcMainCode")->setText("GM NEW");
        prompt_->answers = {PromptAnswer::Yes};
        button("cmdRec")->click();
        settle();
        QVERIFY(readFile(path) != makeImage());
        shows(readFile(path));
    }

    // An image from an archive: the user picks one of its images; saving never writes the
    // archive, it asks where to save instead, saying why.
    void imageFromAnArchiveIsSavedElsewhere() {
        if (QStandardPaths::findExecutable("zip").isEmpty()) QSKIP("zip is not installed");
        writeFile(file("one.bin"), makeImage());
        QByteArray other = makeImage();
        other.replace(0x180, 4, "ZZZZ");
        writeFile(file("two.bin"), other);
        QProcess zip;
        zip.setWorkingDirectory(dir_.path());
        zip.start("zip", {"-q", "pack.zip", "one.bin", "two.bin"});
        QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
        const QByteArray archive = readFile(file("pack.zip"));

        prompt_->itemAnswers.push_back("two.bin");
        browseTo(file("pack.zip"));
        QCOMPARE(prompt_->itemLists, (QList<QStringList>{{"one.bin", "two.bin"}}));
        QCOMPARE(edit("tcMainCode")->text().left(4), QStringLiteral("ZZZZ"));
        QVERIFY(host_->statusTexts.last().contains("two.bin"));

        edit("txDestination")->setText("FROM A ZIP");
        prompt_->answers = {PromptAnswer::Ok};
        prompt_->fileAnswers.push_back({file("saved.bin")});
        button("cmdRec")->click();
        settle();
        QCOMPARE(prompt_->messages.last().text, msg(Msg::ArchiveSaveAs));
        QCOMPARE(readFile(file("saved.bin")).mid(0x100, 10), QByteArray("FROM A ZIP"));
        QCOMPARE(readFile(file("pack.zip")), archive);
        QCOMPARE(editor_->romPath(), file("saved.bin"));
    }

    // Fixing the checksum of an archive's image: the fixed image goes to a new file the user
    // names (no warning about rewriting a file on disk: nothing is rewritten).
    void checksumFixOfAnArchiveImageIsSavedElsewhere() {
        if (QStandardPaths::findExecutable("zip").isEmpty()) QSKIP("zip is not installed");
        QDir(dir_.path()).mkpath("bad");
        writeFile(file("bad/bad.bin"), makeImage(false));
        QProcess zip;
        zip.setWorkingDirectory(file("bad"));
        zip.start("zip", {"-q", "../bad.zip", "bad.bin"});
        QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
        const QByteArray archive = readFile(file("bad.zip"));

        prompt_->answers = {PromptAnswer::Yes, PromptAnswer::Ok};
        prompt_->fileAnswers = {{file("bad.zip")}, {file("fixed.bin")}};
        button("cmdBrowse")->click();
        settle();
        QCOMPARE(prompt_->messages.size(), 2);
        QCOMPARE(prompt_->messages[0].text, msg(Msg::BadChecksum));
        QCOMPARE(prompt_->messages[1].text, msg(Msg::ArchiveSaveAs));
        const QByteArray fixed = readFile(file("fixed.bin"));
        QCOMPARE(fixed.size(), makeImage(true).size());
        QCOMPARE(fixed.mid(0x18E, 2), makeImage(true).mid(0x18E, 2));
        QCOMPARE(readFile(file("bad.zip")), archive);
        QCOMPARE(editor_->romPath(), file("fixed.bin"));
    }

    // The editor reads every file as a plain image; an SMD file gets a warning and the offer
    // of the converter.
    void smdFileIsSentToTheConverterOnRequest_data() {
        QTest::addColumn<bool>("accept");
        QTest::newRow("to the converter") << true;
        QTest::newRow("stay") << false;
    }
    void smdFileIsSentToTheConverterOnRequest() {
        QFETCH(bool, accept);
        QByteArray smd(512 + 16384, '\0');
        smd[0] = 1;
        smd[1] = 3;
        smd[8] = '\xAA';
        smd[9] = '\xBB';
        smd[0x300] = 1;  // so that the checksum read as a plain image is wrong
        const QString path = file("copier.smd");
        writeFile(path, smd);
        prompt_->answers = {accept ? PromptAnswer::Yes : PromptAnswer::No};
        if (!accept) prompt_->answers.push_back(PromptAnswer::No);  // the checksum offer that follows
        browseTo(path);
        QCOMPARE(prompt_->messages.first().text, msg(Msg::SmdInEditor));
        QCOMPARE(prompt_->messages.first().icon, PromptIcon::Warning);
        QVERIFY(editor_->findChild<QLabel*>("lblIdentity")->text().contains("SMD"));
        if (accept) {
            QCOMPARE(host_->handedFiles, (QList<QStringList>{{path}}));
            QCOMPARE(prompt_->messages.size(), 1);
        } else {
            QVERIFY(host_->handedFiles.isEmpty());
            QCOMPARE(prompt_->messages.size(), 2);
            QCOMPARE(prompt_->messages[1].text, msg(Msg::BadChecksum));
        }
    }

    void documentKeysOpenAndSave() {
        const QString path = loadGood();
        edit("tcMainCode")->setFocus();
        edit("tcMainCode")->setText("GM KEYS");
        prompt_->answers = {PromptAnswer::Yes};
        QTest::keyClick(edit("tcMainCode"), Qt::Key_S, Qt::ControlModifier);
        settle();
        QCOMPARE(readFile(path).mid(0x180, 7), QByteArray("GM KEYS"));
        const QString other = file("keys copy.bin");
        prompt_->fileAnswers.push_back({other});
        // The field keeps the keyboard through the save.
        QCOMPARE(QApplication::focusWidget(), edit("tcMainCode"));
        QTest::keyClick(edit("tcMainCode"), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        settle();
        QCOMPARE(editor_->romPath(), other);
        prompt_->fileAnswers.push_back({});
        QTest::keyClick(edit("tcMainCode"), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(prompt_->fileRequests.last().title, msg(Msg::LoadBinT));
    }
};

QTEST_MAIN(HeadEditorTest)
#include "frm_head_edit.moc"
