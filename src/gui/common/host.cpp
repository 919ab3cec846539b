#include "gui/common/host.h"

namespace vantorel::gui {
namespace {

class SilentHost final : public ShellHost {
public:
    void setStatusText(const QString&) override {}
    void showProgress(int, int, const QString&, bool) override {}
    void setProgressVisible(bool) override {}
    void showInLauncher(const QString&) override {}
    void openTool(ToolId) override {}
    void openToolWith(ToolId, const QStringList&) override {}
    QWidget* dialogParent() override { return nullptr; }
};

SilentHost gSilent;
ShellHost* gHost = &gSilent;

}  // namespace

ShellHost& host() {
    return *gHost;
}
void setHost(ShellHost* h) {
    gHost = h ? h : &gSilent;
}

void SetStatusText(const QString& text) {
    host().setStatusText(text);
}
void ShowProgress(int max, int value, const QString& text, bool mosPct) {
    host().showProgress(max, value, text, mosPct);
}
void ShowInLauncher(const QString& romPath) {
    host().showInLauncher(romPath);
}

}  // namespace vantorel::gui
