#include "gui/about/frm_credits.h"

#include <QCloseEvent>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "engine/about/credits.h"
#include "engine/common/paths.h"
#include "gui/about/frm_wait.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "platform/system_info.h"
#include "vantorel/version.h"

namespace vantorel::gui {

namespace {

constexpr int kViewWidth = 480;
constexpr int kViewHeight = 320;
// The three restart timers add up to 136985 ms, after which the tune starts over.
constexpr int kMidi1Ms = 45660;
constexpr int kMidi2Ms = 45660;
constexpr int kMidi3Ms = 45665;

QTimer* namedTimer(QObject* parent, const char* name, int interval) {
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(interval);
    return t;
}

about::CreditFacts currentFacts() {
    about::CreditFacts f;
    f.title = appTitle().toStdString();
    f.major = kVersionMajor;
    f.minor = kVersionMinor;
    f.revision = kVersionRevision;
    const QDate date(about::kBuildDate.year, about::kBuildDate.month, about::kBuildDate.day);
    f.buildDate = QLocale::system().toString(date, QLocale::ShortFormat).toStdString();
    f.pid = static_cast<std::uint64_t>(platform::processId());
    f.programFolder = paths::executableDir().string();
    return f;
}

about::CreditKey creditKey(int key) {
    switch (key) {
        case Qt::Key_Escape:
            return about::CreditKey::Escape;
        case Qt::Key_Up:
            return about::CreditKey::Up;
        case Qt::Key_Down:
            return about::CreditKey::Down;
        case Qt::Key_Shift:
            return about::CreditKey::Shift;
        case Qt::Key_Control:
            return about::CreditKey::Control;
        case Qt::Key_Alt:
            return about::CreditKey::Alt;
        default:
            return about::CreditKey::Other;
    }
}

}  // namespace

CreditView::CreditView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void CreditView::copyAt(int x, int y, int width, int height) {
    copy_ = QRect(x, y, width, height);
    update();
}

void CreditView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (sheet_ && copy_.isValid()) p.drawImage(copy_.topLeft(), *sheet_, QRect(QPoint(0, 0), copy_.size()));
}

frmCredits::frmCredits(QWidget* parent, const std::function<void(int)>& progress)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      music_(paths::tempFolder(), static_cast<std::uint64_t>(platform::processId())) {
    build();
    sheet_ = paintCreditSheet(creditLines(), kViewWidth, about_->logicalDpiY(), font().family(), progress);
    start();
}

frmCredits::frmCredits(QWidget* parent, CreditSheet sheet)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      sheet_(std::move(sheet)),
      music_(paths::tempFolder(), static_cast<std::uint64_t>(platform::processId())) {
    build();
    start();
}

std::vector<about::CreditLine> frmCredits::creditLines() {
    return about::buildCreditLines(currentFacts());
}

std::unique_ptr<CreditSheetPainter> frmCredits::sheetPainter(const QWidget* reference) {
    return std::make_unique<CreditSheetPainter>(creditLines(), kViewWidth, reference->logicalDpiY(),
                                                reference->font().family());
}

void frmCredits::build() {
    // No close button: Escape is the way out, so the tune's file is always cleaned up.
    setObjectName(QStringLiteral("frmCredits"));
    setWindowTitle(QStringLiteral("CreditShowRuntime"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    if (parentWidget()) setWindowIcon(parentWidget()->window()->windowIcon());

    auto* layout = new QVBoxLayout(this);
    about_ = new CreditView(this);
    about_->setObjectName(QStringLiteral("About"));
    about_->setFixedSize(kViewWidth, kViewHeight);
    layout->addWidget(about_);
    auto* label1 =
        new QLabel(QStringLiteral("Press UP for increase scrolling speed. Press DOWN for decrease it or "
                                  "for stop. Press ESC key for quit this!"),
                   this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setFixedWidth(kViewWidth);
    layout->addWidget(label1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    timDoStuff_ = namedTimer(this, "timDoStuff", about::CreditScroll::kTickMs);
    timMIDI1_ = namedTimer(this, "timMIDI1", kMidi1Ms);
    timMIDI2_ = namedTimer(this, "timMIDI2", kMidi2Ms);
    timMIDI3_ = namedTimer(this, "timMIDI3", kMidi3Ms);
    connect(timDoStuff_, &QTimer::timeout, this, &frmCredits::tickScroll);
    connect(timMIDI1_, &QTimer::timeout, this, [this] { chain(timMIDI1_, timMIDI2_, false); });
    connect(timMIDI2_, &QTimer::timeout, this, [this] { chain(timMIDI2_, timMIDI3_, false); });
    connect(timMIDI3_, &QTimer::timeout, this, [this] { chain(timMIDI3_, timMIDI1_, true); });
}

void frmCredits::start() {
    about_->setSheet(&sheet_.image);
    scroll_.start(about_->height(), sheet_.image.height(), sheet_.image.width());
    timDoStuff_->start();

    // Over the program's window, or in the middle of the screen.
    adjustSize();
    const QRect area = parentWidget()
                           ? parentWidget()->window()->geometry()
                           : (screen() ? screen()->availableGeometry() : QRect(QPoint(0, 0), size()));
    move(area.center() - QPoint(width() / 2, height() / 2));
}

frmCredits::~frmCredits() {
    music_.stopAndDelete();
}

void frmCredits::tickScroll() {
    const int y = scroll_.tick(about_->height());
    about_->copyAt(scroll_.x(), y, scroll_.blitWidth(), scroll_.blitHeight());
}

void frmCredits::chain(QTimer* from, QTimer* to, bool restartTune) {
    from->stop();
    to->start();
    if (restartTune) music_.restart();
}

void frmCredits::startMusic() {
    // The show goes on in silence whatever keeps the tune from sounding; the reason goes to
    // the program's log, where whoever wonders about the silence can find it.
    auto written = music_.writeOut();
    if (written) {
        auto started = music_.start();
        if (!started) musicProblem_ = QString::fromStdString(started.error().description());
        timMIDI1_->start();
    } else {
        musicProblem_ = QString::fromStdString(written.error().description());
    }
    if (!musicProblem_.isEmpty()) qInfo("The credits run without music: %s", qUtf8Printable(musicProblem_));
    setWindowTitle(appTitle());
}

void frmCredits::quit() {
    for (QTimer* t : {timDoStuff_, timMIDI1_, timMIDI2_, timMIDI3_}) t->stop();
    music_.stopAndDelete();
    close();
}

void frmCredits::keyPressEvent(QKeyEvent* event) {
    switch (about::creditKeyAction(creditKey(event->key()))) {
        case about::CreditKeyAction::Quit:
            quit();
            return;
        case about::CreditKeyAction::Faster:
            scroll_.faster();
            return;
        case about::CreditKeyAction::Slower:
            scroll_.slower();
            return;
        case about::CreditKeyAction::None:
            break;
    }
    QWidget::keyPressEvent(event);
}

void frmCredits::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    activateWindow();
    setFocus();
    if (!activated_) {
        activated_ = true;
        QTimer::singleShot(0, this, &frmCredits::showWait);
    }
}

void frmCredits::closeEvent(QCloseEvent* event) {
    // However the window goes (the window manager, the program ending), the tune goes too.
    for (QTimer* t : {timDoStuff_, timMIDI1_, timMIDI2_, timMIDI3_}) t->stop();
    music_.stopAndDelete();
    QWidget::closeEvent(event);
}

void frmCredits::showWait() {
    auto* wait = new frmWait(this);
    wait->open();
}

void frmCredits::hideEvent(QHideEvent* event) {
    // Back in the main window, the status line tells the version again.
    appState().ownWindowClosed = true;
    QWidget::hideEvent(event);
}

}  // namespace vantorel::gui
