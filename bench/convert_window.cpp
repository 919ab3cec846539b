// Times the converter window on a batch, as the user runs it: the real main window with its
// status line and progress bar on a real display, the sources added, the destinations moved
// to one folder, Convert clicked, and the clock stopped when the closing box comes up.
//
// Usage: bench_convert_window OUTPUT-FOLDER SOURCE.bin...   (run under an X server)
// Prints the seconds the batch took.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "gui/app/md_main.h"
#include "gui/common/prompt.h"
#include "gui/common/tool_window.h"
#include "gui/lang/app_state.h"

namespace {

using namespace vantorel::gui;

// The user: any box is answered at once, and the folder chooser gives the output folder.
class Answering final : public Prompt {
public:
    explicit Answering(QString folder) : folder_(std::move(folder)) {}
    std::function<void()> onMessage;
    PromptAnswer message(QWidget*, const MessageRequest& r) override {
        if (onMessage) onMessage();
        return r.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
    QStringList chooseFiles(QWidget*, const FileRequest&) override { return {}; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return folder_; }
    QString chooseItem(QWidget*, const QString&, const QString&, const QStringList& items) override {
        return items.value(0);
    }

private:
    QString folder_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_convert_window OUTPUT-FOLDER SOURCE.bin...\n");
        return 2;
    }
    auto& st = appState();
    st.languageFile = QCoreApplication::applicationDirPath() + QStringLiteral("/English.idi");
    st.catalogue.load(st.languageFile.toStdString());

    Answering user(args.first());
    setPrompt(&user);
    mdMain window;
    window.show();
    window.openTool(ToolId::Convert);
    ToolWindow* converter = window.tool(ToolId::Convert);
    converter->acceptFiles(args.mid(1));
    converter->findChild<QToolButton*>(QStringLiteral("cmdSelDestSMD"))->click();

    QElapsedTimer clock;
    user.onMessage = [&] {
        std::printf("%.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
        std::fflush(stdout);
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    };
    QTimer::singleShot(200, [&] {
        clock.start();
        converter->findChild<QPushButton*>(QStringLiteral("cmdBIN2SMD"))->click();
    });
    const int rc = app.exec();
    setPrompt(nullptr);
    return rc;
}
