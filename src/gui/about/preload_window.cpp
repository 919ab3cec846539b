#include "gui/about/preload_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/about/credits_state.h"
#include "gui/about/credits_window.h"

namespace vantorel::gui {

FrmPreload::FrmPreload(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPreload"));
    setWindowTitle(QStringLiteral("Building credits..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel(QStringLiteral("Please wait..."), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label2_ = new QLabel(QStringLiteral("Por favor espera... Cargando lista de creditos..."), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(label1);
    layout->addWidget(label2_);

    timPreLoad_ = new QTimer(this);
    timPreLoad_->setObjectName(QStringLiteral("timPreLoad"));
    timPreLoad_->setInterval(50);
    connect(timPreLoad_, &QTimer::timeout, this, &FrmPreload::tick);
    timPreLoad_->start();
}

void FrmPreload::tick() {
    if (creditsUnlocked()) return;
    timPreLoad_->stop();
    auto* credits = new FrmCredits(parentWidget(), [this](int count) {
        label2_->setText(QStringLiteral("Printing credit: ") + QString::number(count));
        // Only the repaint; clicks and keys wait until the show is up.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    credits->show();
    close();
    setCreditsUnlocked(true);
}

}  // namespace vantorel::gui
