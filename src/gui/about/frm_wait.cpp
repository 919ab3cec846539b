#include "gui/about/frm_wait.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/about/frm_credits.h"

namespace vantorel::gui {

frmWait::frmWait(frmCredits* credits) : QDialog(credits), credits_(credits) {
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QStringLiteral("Loading MIDI..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel(QStringLiteral("Please wait..."), this);
    label1->setObjectName(QStringLiteral("Label1"));
    QString text = QStringLiteral("Por favor espera... Cargando MIDI %m");
    text.replace(QStringLiteral("%m"), credits->music().fileName());
    auto* label2 = new QLabel(text, this);
    label2->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(label1);
    layout->addWidget(label2);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(50);
    connect(timer1_, &QTimer::timeout, this, &frmWait::firstTick);
    timer1_->start();
}

void frmWait::firstTick() {
    timer1_->stop();
    credits_->startMusic();
    close();
}

}  // namespace vantorel::gui
