#include "gui/lang/frm_idioma.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/common/paths.h"
#include "engine/common/settings.h"
#include "engine/lang/catalogue.h"
#include "gui/common/error_text.h"
#include "gui/common/prompt.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"

namespace vantorel::gui {
namespace {
const QString kSection = QStringLiteral("frmIdioma");

QFrame* line(const char* name, QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}
}  // namespace

frmIdioma::frmIdioma(bool firstRun, const QString& folder, QWidget* parent)
    : QDialog(parent), firstRun_(firstRun), folder_(folder) {
    setObjectName(kSection);
    setModal(true);
    // First-run mode can be left only through OK: no close button on its title bar.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (!firstRun_) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
    setWindowFlags(flags);

    msg_ = new QLabel(this);
    msg_->setObjectName(QStringLiteral("lblMsg"));
    msg_->setWordWrap(true);
    msg_->setMinimumHeight(40);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("flLanArch"));
    list_->installEventFilter(this);
    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("IDOK"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("IDCANCEL"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(msg_);
    layout->addWidget(line("Line1", this));
    layout->addWidget(list_, 1);
    layout->addWidget(line("Line2", this));
    layout->addLayout(buttons);
    resize(380, 300);

    connect(ok_, &QPushButton::clicked, this, &frmIdioma::ok);
    connect(cancel_, &QPushButton::clicked, this, &frmIdioma::cancel);
    connect(list_, &QListWidget::currentRowChanged, this, &frmIdioma::select);
    connect(list_, &QListWidget::itemDoubleClicked, this, &frmIdioma::ok);

    load();
}

void frmIdioma::load() {
    chosen_ = appState().languageFile;
    if (folder_.isEmpty()) folder_ = QString::fromStdString(paths::languageFolder().string());
    bool failed = !QFileInfo(folder_).isDir();
    if (!failed) {
        try {
            const QSignalBlocker block(list_);
            for (const auto& file : lang::listLanguageFiles(folder_.toStdString()))
                list_->addItem(QString::fromStdString(file.filename().string()));
        } catch (...) {
            failed = true;
        }
    }
    if (firstRun_) {
        cancel_->setEnabled(false);
        chosen_.clear();
    } else {
        // Mark the language in use without making it the choice: OK on it changes nothing.
        const QString current = QFileInfo(chosen_).canonicalFilePath();
        for (int row = 0; row < list_->count() && !current.isEmpty(); ++row) {
            if (QFileInfo(QDir(folder_).filePath(list_->item(row)->text())).canonicalFilePath() == current) {
                const QSignalBlocker block(list_);
                list_->setCurrentRow(row);
                break;
            }
        }
    }
    showTexts();
    if (failed)
        ask(this, PromptIcon::Error, PromptButtons::Ok,
            QStringLiteral("Archivo de idioma invalido - Invalid file"),
            QStringLiteral("Por favor selecciona otro archivo - Please select another file"));
    // In first-run mode a file is selected and previewed at once.
    if (firstRun_ && list_->count() > 0) list_->setCurrentRow(0);
}

void frmIdioma::select(int row) {
    if (row < 0 || row >= list_->count()) return;
    chosen_ = QDir(folder_).filePath(list_->item(row)->text());
    showTexts();
}

void frmIdioma::showTexts() {
    ok_->setText(iniValue(chosen_, kSection, QStringLiteral("IDOK")));
    cancel_->setText(iniValue(chosen_, kSection, QStringLiteral("IDCANCEL")));
    setWindowTitle(langValue(kSection, QStringLiteral("Caption")));
    if (firstRun_) {
        setWindowTitle(appTitle());
        msg_->setText(iniValue(chosen_, kSection, QStringLiteral("Msg1")));
    } else {
        msg_->setText(iniValue(chosen_, kSection, QStringLiteral("Msg2")));
    }
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(msg_), static_cast<QWidget*>(list_),
                       static_cast<QWidget*>(ok_), static_cast<QWidget*>(cancel_)})
        applyInterfaceFont(w);
}

void frmIdioma::ok() {
    auto& st = appState();
    if (st.languageFile != chosen_) {
        st.languageChanged = true;
        st.languageFile = chosen_;
        if (auto written = writeSetting(settings::section::Idioma, settings::key::Idioma, chosen_); !written)
            reportSettingsFailure(this, written.error());
    } else {
        st.languageChanged = false;
    }
    finishing_ = true;
    done(QDialog::Accepted);
}

void frmIdioma::cancel() {
    if (!cancel_->isEnabled()) return;
    chosen_ = appState().languageFile;
    finishing_ = true;
    done(QDialog::Rejected);
}

void frmIdioma::reject() {
    // Esc and the title bar's close act as Cancel, which first-run mode does not offer.
    cancel();
}

void frmIdioma::closeEvent(QCloseEvent* event) {
    if (finishing_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    cancel();
}

void frmIdioma::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    list_->setFocus();
}

bool frmIdioma::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ok();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmIdioma::run(QWidget* parent, bool firstRun, const QString& folder) {
    appState().firstRunMode = firstRun;
    frmIdioma chooser(firstRun, folder, parent);
    chooser.exec();
}

void frmIdioma::hideEvent(QHideEvent* event) {
    // Back in the main window, the status line tells the version again.
    appState().ownWindowClosed = true;
    QDialog::hideEvent(event);
}

}  // namespace vantorel::gui
