#include "gui/about/frm_preload.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/about/credits_state.h"
#include "gui/about/frm_credits.h"

namespace vantorel::gui {

frmPreload::frmPreload(QWidget* parent) : QDialog(parent) {
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
    connect(timPreLoad_, &QTimer::timeout, this, &frmPreload::tick);
    timPreLoad_->start();
}

void frmPreload::tick() {
    if (creditsUnlocked()) return;
    timPreLoad_->stop();
    // One line per turn of the event loop: the counter repaints and the window stays alive
    // while the sheet is painted.
    painter_ = frmCredits::sheetPainter(this);
    auto* lines = new QTimer(this);
    connect(lines, &QTimer::timeout, this, [this, lines] {
        painter_->paintNext();
        label2_->setText(QStringLiteral("Printing credit: ") + QString::number(painter_->painted()));
        if (!painter_->finished()) return;
        lines->stop();
        auto* credits = new frmCredits(parentWidget(), painter_->take());
        painter_.reset();
        credits->show();
        close();
        setCreditsUnlocked(true);
    });
    lines->start(0);
}

}  // namespace vantorel::gui
