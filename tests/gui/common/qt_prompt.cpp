// Qt's own file chooser, answered as a user does: a name or a whole path typed into its name
// box and Return, or files picked in its list.
#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "gui/common/prompt.h"

using namespace vantorel::gui;

namespace {

void makeFile(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

// Runs `answer` on the chooser once it is up and has listed its folder.
void whenShown(QObject* context, std::function<void(QFileDialog*)> answer) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
        QTimer::singleShot(20, context, [context, answer] { whenShown(context, answer); });
        return;
    }
    QTest::qWait(300);
    answer(dialog);
    // A chooser still open has failed the test; close it so the test ends.
    QTimer::singleShot(500, dialog, [dialog] {
        if (dialog->isVisible()) dialog->reject();
    });
}

}  // namespace

class QtPromptTest : public QObject {
    Q_OBJECT
private slots:
    // Under X, the chooser's completion selects in its list each folder a typed path runs
    // through, and a path through the chooser's own folder while that is the current folder
    // (as the tools make it) leaves that folder selected. Key events sent straight to the
    // box do not show it, so the test leaves the folder selected itself: the typed file must
    // still be the choice, not a chooser left open with its box emptied.
    void aTypedPathIsTheChoice_data() {
        QTest::addColumn<bool>("wholePath");
        QTest::addColumn<int>("mode");
        for (const bool whole : {true, false})
            for (const auto mode : {FileRequest::Mode::Open, FileRequest::Mode::OpenMany}) {
                const QByteArray name = QByteArray(whole ? "whole path, " : "name, ") +
                                        (mode == FileRequest::Mode::Open ? "one" : "several");
                QTest::newRow(name.constData()) << whole << static_cast<int>(mode);
            }
    }
    void aTypedPathIsTheChoice() {
        QFETCH(bool, wholePath);
        QFETCH(int, mode);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.path() + QStringLiteral("/game.bin");
        makeFile(file);
        bool answered = false;
        whenShownDo([&](QFileDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
            auto* model = dialog->findChild<QFileSystemModel*>();
            if (!edit || !list || !model) return;
            QTest::keyClicks(edit, wholePath ? file : QStringLiteral("game.bin"));
            list->selectionModel()->select(model->index(dialog->directory().absolutePath()),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            answered = true;
            QTest::keyClick(edit, Qt::Key_Return);
        });
        const QStringList chosen = choose(static_cast<FileRequest::Mode>(mode), dir.path());
        QVERIFY(answered);
        QCOMPARE(chosen, QStringList{file});
    }

    // Files picked in the list are the choice, as the box then names them all.
    void filesPickedInTheListAreTheChoice() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList files = {dir.path() + QStringLiteral("/a.bin"),
                                   dir.path() + QStringLiteral("/b.bin")};
        for (const QString& f : files) makeFile(f);
        bool answered = false;
        whenShownDo([&](QFileDialog* dialog) {
            auto* list = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!list || !edit) return;
            list->setFocus();
            list->selectAll();
            answered = true;
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QStringList chosen = choose(FileRequest::Mode::OpenMany, dir.path());
        chosen.sort();
        QVERIFY(answered);
        QCOMPARE(chosen, files);
    }

private:
    void whenShownDo(std::function<void(QFileDialog*)> answer) {
        QTimer::singleShot(0, this, [this, answer] { whenShown(this, answer); });
    }

    // The chooser opened on `folder` while it is the current folder, as a tool opens it.
    static QStringList choose(FileRequest::Mode mode, const QString& folder) {
        FileRequest r;
        r.mode = mode;
        r.filters = {{QStringLiteral("ROMs"), QStringLiteral("*.bin;*.smd")}, {QStringLiteral("All"), "*.*"}};
        r.folder = folder + QLatin1Char('/');
        r.mustExist = true;
        const QString before = QDir::currentPath();
        QDir::setCurrent(folder);
        QtPrompt chooser;
        const QStringList chosen = chooser.chooseFiles(nullptr, r);
        QDir::setCurrent(before);
        return chosen;
    }
};

QTEST_MAIN(QtPromptTest)
#include "qt_prompt.moc"
