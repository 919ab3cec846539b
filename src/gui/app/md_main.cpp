#include "gui/app/md_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionMenuItem>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "engine/app/command_line.h"
#include "gui/about/frm_acerca_de.h"
#include "gui/app/artwork.h"
#include "gui/app/shk_icon.h"
#include "gui/common/dropped_files.h"
#include "gui/common/floodbar.h"
#include "gui/common/prompt.h"
#include "gui/common/tool_window.h"
#include "gui/convert/frm_rom_conv.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "gui/launcher/frm_launcher.h"
#include "gui/patch/frm_ips_patcher.h"
#include "gui/patch/frm_make_patch.h"
#include "gui/patch/patch_paths.h"
#include "gui/rom/frm_head_edit.h"

namespace vantorel::gui {
namespace {

const QString kSection = QStringLiteral("mdMain");
// Room for the bar, the status line and the tallest tool (the header editor); a tool that
// still does not fit enlarges the window when it opens.
constexpr QSize kWindowSize{760, 720};

// A tool's frame inside the work area; tells when it closes for good (its title bar's
// close box unloads the tool, as the tool's own close button does).
class ToolSubWindow final : public QMdiSubWindow {
public:
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override {
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && onClosed) onClosed();
    }
};

// Draws separators as plain lines even when they carry a text: the separator entry's
// caption is "-", and some styles would print it beside the line.
class PlainSeparatorStyle final : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
                item && item->menuItemType == QStyleOptionMenuItem::Separator) {
                QStyleOptionMenuItem plain(*item);
                plain.text.clear();
                QProxyStyle::drawControl(element, &plain, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
                item && item->menuItemType == QStyleOptionMenuItem::Separator) {
                QStyleOptionMenuItem plain(*item);
                plain.text.clear();
                return QProxyStyle::sizeFromContents(type, &plain, size, widget);
            }
        }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
};

}  // namespace

mdMain::mdMain(const QString& commandLine, const QString& startFolder, QWidget* parent)
    : QMainWindow(parent), commandLine_(commandLine), startFolder_(startFolder) {
    setObjectName(kSection);
    // Neither resizable nor maximisable.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(svgIcon(QStringLiteral(":/app/vantorel.svg"), {64, 64}));
    setAcceptDrops(true);

    buildMenu();
    auto* central = new QWidget(this);
    auto* rows = new QVBoxLayout(central);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* top = new QHBoxLayout;
    top->setSpacing(0);
    top->addWidget(buildBar());
    mdi_ = new QMdiArea(central);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QLinearGradient shade(0, 0, 0, kWindowSize.height());
    shade.setColorAt(0, QColor(0x3d, 0x4b, 0x66));
    shade.setColorAt(1, QColor(0x22, 0x2c, 0x42));
    mdi_->setBackground(shade);
    top->addWidget(mdi_, 1);
    rows->addLayout(top, 1);
    rows->addWidget(buildStatus());
    setCentralWidget(central);

    localize();
    QSize start = kWindowSize;
    if (const QScreen* s = screen()) start = start.boundedTo(s->availableGeometry().size());
    setFixedSize(start);
    setStatusText(appMessage());
    setHost(this);
}

mdMain::~mdMain() {
    unload();
}

void mdMain::buildMenu() {
    QMenu* arch = menuBar()->addMenu(QStringLiteral("ID_FILE"));
    arch->setObjectName(QStringLiteral("mnuArch"));
    QAction* idioma = arch->addAction(QStringLiteral("ID_LANG"));
    idioma->setObjectName(QStringLiteral("mnuArchIdioma"));
    auto* plainStyle = new PlainSeparatorStyle;
    plainStyle->setParent(arch);
    arch->setStyle(plainStyle);
    QAction* separator = arch->addSeparator();
    separator->setObjectName(QStringLiteral("ID_SEPARATOR"));
    QAction* quit = arch->addAction(QStringLiteral("ID_QUIT"));
    quit->setObjectName(QStringLiteral("mnuArchQuit"));
    QMenu* ayuda = menuBar()->addMenu(QStringLiteral("ID_HELP"));
    ayuda->setObjectName(QStringLiteral("mnuAyuda"));
    QAction* acerca = ayuda->addAction(QStringLiteral("ID_ABOUT"));
    acerca->setObjectName(QStringLiteral("mnuAyudaAcerca"));

    // The small pictures beside the entries, by position as the menus are laid out.
    const QList<QAction*> archItems = arch->actions();
    if (archItems.size() > 2) {
        archItems[0]->setIcon(svgIcon(QStringLiteral(":/app/lang.svg"), {16, 16}));
        archItems[2]->setIcon(svgIcon(QStringLiteral(":/app/quit.svg"), {16, 16}));
    }
    if (!ayuda->actions().isEmpty())
        ayuda->actions()[0]->setIcon(svgIcon(QStringLiteral(":/app/help.svg"), {16, 16}));

    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(idioma, &QAction::triggered, this, &mdMain::languageCommand);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(acerca, &QAction::triggered, this, &mdMain::showAbout);
}

QWidget* mdMain::buildBar() {
    auto* bar = new QFrame(this);
    picBar_ = bar;
    bar->setObjectName(QStringLiteral("picBar"));
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setFrameShadow(QFrame::Raised);
    bar->setFixedWidth(shkIcon::kSize.width() + 18);
    bar->setAutoFillBackground(true);
    QFont barFont = bar->font();
    barFont.setPointSize(8);
    bar->setFont(barFont);

    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(2, 2, 2, 6);
    column->setSpacing(6);
    auto* header = new QFrame(bar);
    header->setObjectName(QStringLiteral("pHeader"));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QPushButton(QStringLiteral("ID_UTIL"), header);
    heading->setObjectName(QStringLiteral("cmdTools"));
    heading->setFocusPolicy(Qt::NoFocus);  // a heading, not an action
    headerLayout->addWidget(heading);
    column->addWidget(header);

    struct Entry {
        const char* name;
        const char* picture;
        ToolId tool;
    };
    const Entry entries[] = {
        {"shConvert", ":/app/convert.svg", ToolId::Convert}, {"shEdit", ":/app/edit.svg", ToolId::HeadEdit},
        {"shIPS", ":/app/ips.svg", ToolId::Patch},           {"shMake", ":/app/make.svg", ToolId::MakePatch},
        {"shRun", ":/app/run.svg", ToolId::Launcher},
    };
    for (const Entry& e : entries) {
        auto* icon = new shkIcon(bar);
        icon->setObjectName(QLatin1String(e.name));
        icon->setPicture(svgIcon(QLatin1String(e.picture), shkIcon::kPicture.size()));
        const ToolId tool = e.tool;
        connect(icon, &shkIcon::clicked, this, [this, tool] { openTool(tool); });
        column->addWidget(icon, 0, Qt::AlignHCenter);
    }
    column->addStretch(1);
    return bar;
}

QWidget* mdMain::buildStatus() {
    auto* status = new QFrame(this);
    status->setObjectName(QStringLiteral("picStatus"));
    status->setFrameShape(QFrame::StyledPanel);
    status->setFrameShadow(QFrame::Sunken);
    auto* row = new QHBoxLayout(status);
    row->setContentsMargins(6, 2, 4, 2);
    lblStatus_ = new QLabel(status);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setMinimumWidth(1);  // long paths must not widen the fixed window
    row->addWidget(lblStatus_, 1);
    fbStatus_ = new FloodBar(status);
    fbStatus_->setObjectName(QStringLiteral("fbStatus"));
    fbStatus_->setFixedSize(200, 18);
    fbStatus_->hide();  // shown only while a tool works
    row->addWidget(fbStatus_);
    status->setFixedHeight(26);
    return status;
}

void mdMain::localize() {
    LocalizeOptions options;
    options.setTitle = false;  // the title is the product name, not a language text
    options.skipCaption = [](QObject* o) { return o->objectName() == QLatin1String("ID_SEPARATOR"); };
    // The shortcut icons and the progress bar take the bar's font below.
    options.keepFont = [](QWidget* w) {
        return qobject_cast<shkIcon*>(w) != nullptr || qobject_cast<FloodBar*>(w) != nullptr;
    };
    localizeWindow(this, kSection, options);
    if (auto* separator = findChild<QAction*>(QStringLiteral("ID_SEPARATOR")))
        separator->setText(QStringLiteral("-"));
    for (auto* icon : findChildren<shkIcon*>()) icon->setFont(picBar_->font());
    fbStatus_->setFont(picBar_->font());
    setWindowTitle(appTitle());
}

void mdMain::ParseCommand() {
    // Here paths start with "/" as switches do: a command line that is a path given alone
    // (an existing file or folder, or any "/a/b" text) opens nothing, as "C:\roms\game.bin"
    // opens nothing in the design.
    if (QFileInfo::exists(commandLine_) || app::isBarePath(commandLine_.toStdString())) return;
    const app::Command cmd = app::ParseCommand(commandLine_.toStdString());
    QString path = QString::fromStdString(cmd.path);
    // A relative path means the folder the program was started in, whatever folder the
    // tools have made current since.
    if (!path.isEmpty() && QDir::isRelativePath(path) && !startFolder_.isEmpty())
        path = QDir(startFolder_).absoluteFilePath(path);
    if (cmd.switchText == "/c") {
        openTool(ToolId::Convert);
    } else if (cmd.switchText == "/p") {
        openTool(ToolId::Patch);
    } else if (cmd.switchText == "/h") {
        openTool(ToolId::HeadEdit);
        if (!path.isEmpty())
            if (ToolWindow* editor = tool(ToolId::HeadEdit)) editor->takePath(path);  // LoadFromCmd
    } else if (cmd.switchText == "/l") {
        openTool(ToolId::Launcher);
        if (!path.isEmpty())
            if (ToolWindow* launcher = tool(ToolId::Launcher)) launcher->takePath(path);  // txRom
    }
}

QMdiSubWindow* mdMain::toolSubWindow(ToolId id) const {
    auto it = tools_.find(id);
    return it == tools_.end() ? nullptr : it->second.data();
}

ToolWindow* mdMain::tool(ToolId id) const {
    QMdiSubWindow* sub = toolSubWindow(id);
    return sub ? qobject_cast<ToolWindow*>(sub->widget()) : nullptr;
}

void mdMain::forgetTool(ToolId id, QMdiSubWindow* sub) {
    auto it = tools_.find(id);
    if (it != tools_.end() && it->second == sub) tools_.erase(it);
}

void mdMain::openTool(ToolId id) {
    QMdiSubWindow* sub = toolSubWindow(id);
    if (!sub) {
        ToolWindow* toolWindow = newTool(id);
        auto* frame = new ToolSubWindow;
        frame->setWidget(toolWindow);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        frame->setWindowIcon(windowIcon());
        frame->onClosed = [this, id, frame] { forgetTool(id, frame); };
        connect(toolWindow, &ToolWindow::unloaded, this, [this, id, frame] { forgetTool(id, frame); });
        mdi_->addSubWindow(frame);
        tools_[id] = frame;
        sub = frame;
        fitTool(sub);
    }
    // One tool in view at a time; hidden tools keep their state.
    if (QMdiSubWindow* active = mdi_->currentSubWindow()) active->hide();
    for (const auto& [otherId, other] : tools_)
        if (other && other != sub && other->isVisible()) other->hide();
    sub->show();
    sub->raise();
    mdi_->setActiveSubWindow(sub);
    if (sub->widget()) sub->widget()->setFocus();
}

void mdMain::fitTool(QMdiSubWindow* sub) {
    // Measure the work area as laid out, even before the window has been shown.
    if (layout()) layout()->activate();
    sub->adjustSize();
    sub->move(0, 0);
    const QSize room = mdi_->viewport()->size();
    const QSize need = sub->size();
    if (need.width() <= room.width() && need.height() <= room.height()) return;
    QSize grown =
        size() + QSize(std::max(0, need.width() - room.width()), std::max(0, need.height() - room.height()));
    if (const QScreen* s = screen()) grown = grown.boundedTo(s->availableGeometry().size());
    setFixedSize(grown);
}

ToolId mdMain::toolForFiles(const QStringList& paths) {
    const auto hasSuffix = [](const QString& path, const char* suffix) {
        return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
    };
    // A patch of any format, known by its content, brings the patcher.
    if (std::any_of(paths.begin(), paths.end(), [](const QString& p) { return isPatchFile(p); }))
        return ToolId::Patch;
    if (!paths.isEmpty() &&
        std::all_of(paths.begin(), paths.end(), [&](const QString& p) { return hasSuffix(p, ".smd"); }))
        return ToolId::Convert;
    return ToolId::HeadEdit;
}

void mdMain::openToolWith(ToolId id, const QStringList& paths) {
    openTool(id);
    if (ToolWindow* target = tool(id)) target->acceptFiles(paths);
}

void mdMain::openFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    const ToolId id = toolForFiles(paths);
    openTool(id);
    if (ToolWindow* target = tool(id)) target->acceptFiles(paths);
}

void mdMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void mdMain::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    openFiles(files);
}

void mdMain::showInLauncher(const QString& romPath) {
    openTool(ToolId::Launcher);
    if (ToolWindow* launcher = tool(ToolId::Launcher)) launcher->takePath(romPath);
}

void mdMain::setStatusText(const QString& text) {
    lblStatus_->setText(text);
}

void mdMain::showProgress(int max, int value, const QString& text, bool mosPct) {
    fbStatus_->ShowProgress(max, value, text, mosPct);
}

void mdMain::setProgressVisible(bool visible) {
    fbStatus_->setVisible(visible);
}

ToolWindow* mdMain::newTool(ToolId id) {
    switch (id) {
        case ToolId::Convert:
            return new frmRomConv;
        case ToolId::HeadEdit:
            return new frmHeadEdit;
        case ToolId::Patch:
            return new frmIPSPatcher;
        case ToolId::Launcher:
            return new frmLauncher;
        case ToolId::MakePatch:
            return new frmMakePatch;
    }
    return nullptr;
}

void mdMain::showAbout() {
    auto* about = new frmAcercaDe(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
}

bool mdMain::event(QEvent* event) {
    // Back in front from another of the program's own windows (the splash, the language
    // chooser, the about box, the credits), the status line tells the version again. Not
    // after a message box or a chooser, nor on the user's return from another program: the
    // text a tool left there is what the user needs to read.
    if (event->type() == QEvent::WindowActivate && appState().ownWindowClosed) {
        appState().ownWindowClosed = false;
        setStatusText(appMessage());
    }
    return QMainWindow::event(event);
}

void mdMain::closeEvent(QCloseEvent* event) {
    if (!appState().reloading) {
        // Running jobs wait at their next step while the user answers.
        pauseWork();
        const PromptAnswer answer = ask(this, PromptIcon::Question, PromptButtons::YesNo, appTitle(),
                                        msg(lang::Msg::WantExit), PromptAnswer::No);
        if (answer != PromptAnswer::Yes) {
            resumeWork();
            event->ignore();
            return;
        }
        stopWork();
        hide();
        ask(this, PromptIcon::Information, PromptButtons::Ok, appTitle(), msg(lang::Msg::Goodbye));
    }
    stopWork();
    event->accept();
    unload();
}

QList<ToolWindow*> mdMain::loadedTools() const {
    QList<ToolWindow*> tools;
    for (const auto& [id, sub] : tools_)
        if (sub)
            if (auto* t = qobject_cast<ToolWindow*>(sub->widget())) tools << t;
    return tools;
}

bool mdMain::working() const {
    for (ToolWindow* t : loadedTools())
        if (t->working()) return true;
    return false;
}

void mdMain::pauseWork() {
    for (ToolWindow* t : loadedTools()) t->pauseWork();
}

void mdMain::resumeWork() {
    for (ToolWindow* t : loadedTools()) t->resumeWork();
}

void mdMain::stopWork() {
    for (ToolWindow* t : loadedTools()) t->stopWork();
}

void mdMain::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (&host() == this) setHost(nullptr);
    emit unloaded();
}

}  // namespace vantorel::gui
