#include "gui/about/frm_acerca_de.h"

#include <QChildEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "engine/about/credits.h"
#include "engine/about/system_text.h"
#include "engine/common/paths.h"
#include "engine/common/settings.h"
#include "gui/about/about_links.h"
#include "gui/about/credits_state.h"
#include "gui/about/frm_preload.h"
#include "gui/about/link_label.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"
#include "platform/system_info.h"
#include "vantorel/version.h"

namespace vantorel::gui {

namespace {

constexpr const char* kSection = "frmAcercaDe";
constexpr const char* kArial = "Arial";
constexpr int kMemoryRefreshMs = 1000;

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

void useArial(QWidget* w, int points, bool bold = false) {
    QFont f(QLatin1String(kArial), points);
    f.setBold(bold);
    w->setFont(f);
}

void openLink(const QString& url) {
    // The desktop tells the user itself when it has no handler; the box stays quiet.
    QDesktopServices::openUrl(QUrl(url));
}

}  // namespace

QString DescribeMemory() {
    const platform::MemoryStatus m = platform::memoryStatus();
    return QString::fromStdString(
        about::describeMemory(msg(lang::Msg::MemStat).toStdString(), m.totalBytes, m.freeBytes));
}

QString DescribeWindows() {
    return QString::fromStdString(platform::systemLine());
}

frmAcercaDe::frmAcercaDe(QWidget* parent) : QDialog(parent) {
    setObjectName(QLatin1String(kSection));
    setModal(true);
    setMinimumWidth(480);
    watchKeys(this);

    auto* top = new QVBoxLayout(this);
    lblProductName_ = label(this, "lblProductName", QStringLiteral("Vantorel"));
    useArial(lblProductName_, 22, true);
    auto* lblPlatform = label(this, "lblPlatform", QStringLiteral("ID_PLAT"));
    useArial(lblPlatform, 10);
    lblVersion_ = label(this, "lblVersion", QStringLiteral("ID_VER"));
    useArial(lblVersion_, 10);
    auto* lblCompany = label(this, "lblCompany", QStringLiteral("ID_DEVEL"));
    useArial(lblCompany, 10);
    auto* lblCopyright = label(this, "lblCopyright", QString::fromUtf8(about_links::kCopyright));
    useArial(lblCopyright, 8);
    auto* lblTransBy = label(this, "lblTransBy", QStringLiteral("ID_TRANS"));
    lblMail_ = new LinkLabel(QString::fromUtf8(about_links::kMail), this);
    lblMail_->setObjectName(QStringLiteral("lblMail"));
    for (QWidget* w : {static_cast<QWidget*>(lblProductName_), static_cast<QWidget*>(lblPlatform),
                       static_cast<QWidget*>(lblVersion_), static_cast<QWidget*>(lblCompany),
                       static_cast<QWidget*>(lblCopyright), static_cast<QWidget*>(lblTransBy),
                       static_cast<QWidget*>(lblMail_)})
        top->addWidget(w);

    fApp_ = new QGroupBox(QStringLiteral("ID_APP"), this);
    fApp_->setObjectName(QStringLiteral("fApp"));
    auto* facts = new QGridLayout(fApp_);
    const char* captions[] = {"lbMem", "lbWin", "lbRom", "lbDir"};
    const char* designs[] = {"ID_MEM", "ID_WIN", "ID_ROM", "ID_DIR"};
    const char* values[] = {"lblMemox", "lblWinVer", "lblRomPath", "lblDir"};
    QLabel* valueLabels[4];
    for (int i = 0; i < 4; ++i) {
        facts->addWidget(label(fApp_, captions[i], QLatin1String(designs[i])), i, 0, Qt::AlignTop);
        valueLabels[i] = label(fApp_, values[i], {});
        valueLabels[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Only the two folders can be long enough to need a second line.
        valueLabels[i]->setWordWrap(i >= 2);
        facts->addWidget(valueLabels[i], i, 1);
    }
    facts->setColumnStretch(1, 1);
    lblMemox_ = valueLabels[0];
    lblWinVer_ = valueLabels[1];
    lblRomPath_ = valueLabels[2];
    lblDir_ = valueLabels[3];
    top->addWidget(fApp_);

    auto* fWeb = new QGroupBox(QStringLiteral("ID_WEBSITES"), this);
    fWeb->setObjectName(QStringLiteral("fWeb"));
    auto* web = new QVBoxLayout(fWeb);
    for (int i = 0; i < static_cast<int>(about_links::kWeb.size()); ++i) {
        const auto& link = about_links::kWeb[static_cast<std::size_t>(i)];
        auto* l = new LinkLabel(QString::fromUtf8(link.name), fWeb);
        l->setObjectName(QStringLiteral("lblWeb"));
        l->setProperty("index", i);
        l->setProperty("Tag", QString::fromUtf8(link.url));
        l->setToolTip(QString::fromUtf8(link.url));
        connect(l, &LinkLabel::clicked, this, [l] { openLink(l->property("Tag").toString()); });
        web->addWidget(l);
    }
    top->addWidget(fWeb);
    connect(lblMail_, &LinkLabel::clicked, this,
            [this] { openLink(QStringLiteral("mailto:") + lblMail_->text()); });

    auto* buttons = new QHBoxLayout;
    cmdCredits_ = new QPushButton(QStringLiteral("ID_CR"), this);
    cmdCredits_->setObjectName(QStringLiteral("cmdCredits"));
    cmdCredits_->setVisible(false);
    auto* ok = new QPushButton(QStringLiteral("IDOK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    buttons->addWidget(cmdCredits_);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    top->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCredits_, &QPushButton::clicked, this, &frmAcercaDe::openCredits);

    timRealMem_ = new QTimer(this);
    timRealMem_->setObjectName(QStringLiteral("timRealMem"));
    timRealMem_->setInterval(kMemoryRefreshMs);
    connect(timRealMem_, &QTimer::timeout, this, &frmAcercaDe::refreshMemory);

    // Window load.
    LocalizeAbout();
    fApp_->setTitle(
        fApp_->title() + QStringLiteral(" - PID #") +
        QString::fromStdString(about::hexUpper(static_cast<std::uint64_t>(platform::processId()))));
    lblVersion_->setText(lblVersion_->text() + QLatin1Char(' ') + QString::number(kVersionMajor) +
                         QLatin1Char('.') + QString::number(kVersionMinor) + QLatin1Char('.') +
                         QString::number(kVersionRevision));
    lblWinVer_->setText(DescribeWindows());
    lblDir_->setText(QString::fromStdString(paths::executableDir().string()));
    lblRomPath_->setText(QString::fromStdString(settings::storedRomFolder(settingsFile())));
    refreshMemory();
    timRealMem_->start();
}

void frmAcercaDe::LocalizeAbout() {
    const QString title = langValue(QLatin1String(kSection), QStringLiteral("Caption"));
    setWindowTitle(title.isEmpty() ? appTitle() : title);
    const QList<QWidget*> controls = findChildren<QWidget*>();
    for (QWidget* control : controls) {
        const QString name = control->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        const bool isLabel = qobject_cast<QLabel*>(control) != nullptr;
        QString key = name;
        bool keep = false;
        if (name == QLatin1String("lblWeb")) {
            const int index = control->property("index").toInt();
            keep = index < 3;
            key = QStringLiteral("lblWeb(%1)").arg(index);
        } else if (isLabel) {
            keep = name == QLatin1String("lblProductName") || name == QLatin1String("lblCopyright") ||
                   name == QLatin1String("lblMail");
        }
        // The value labels are filled by the load that follows, not from the language file.
        const bool isValue = name == QLatin1String("lblMemox") || name == QLatin1String("lblWinVer") ||
                             name == QLatin1String("lblRomPath") || name == QLatin1String("lblDir");
        if (!keep && !isValue) setCaption(control, langValue(QLatin1String(kSection), key));
    }
    for (QWidget* control : controls) {
        if (control->objectName().isEmpty()) continue;
        if (control->font().family() != QLatin1String(kArial)) applyInterfaceFont(control);
    }
}

void frmAcercaDe::refreshMemory() {
    lblMemox_->setText(DescribeMemory());
}

void frmAcercaDe::watchKeys(QObject* object) {
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType()) watchKeys(child);
}

void frmAcercaDe::childEvent(QChildEvent* event) {
    if (event->added() && event->child()->isWidgetType()) watchKeys(event->child());
    QDialog::childEvent(event);
}

bool frmAcercaDe::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat()) return QDialog::eventFilter(watched, event);
        const bool unlocked = creditsUnlocked();
        const bool isCtrl = key->key() == Qt::Key_Control;
        if (ctrlCount_.keyPressed(isCtrl, unlocked)) cmdCredits_->setVisible(true);
        // A Ctrl press is counted where it first arrives and goes no further, so it is not
        // counted again on its way up to the box. Other keys only reset the count, which is
        // the same however often it happens, and keep their usual work.
        if (isCtrl && !unlocked) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAcercaDe::openCredits() {
    auto* preload = new frmPreload(parentWidget());
    close();
    preload->show();
}

void frmAcercaDe::hideEvent(QHideEvent* event) {
    // Back in the main window, the status line tells the version again.
    appState().ownWindowClosed = true;
    QDialog::hideEvent(event);
}

}  // namespace vantorel::gui
