#include "gui/app/frm_splash.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "engine/lang/catalogue.h"
#include "gui/about/about_links.h"
#include "gui/app/artwork.h"
#include "gui/lang/app_state.h"
#include "gui/lang/localize.h"

namespace vantorel::gui {
namespace {
constexpr QSize kSplashSize{480, 320};
const QColor kText{0xdc, 0xe6, 0xf8};
const QColor kDim{0x8f, 0xa4, 0xc8};
const QColor kAccent{0xff, 0xd2, 0x5a};

QFont arial(int pointSize, bool bold) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}
}  // namespace

frmSplash::frmSplash(int timeoutMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Vantorel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kSplashSize);
    setFocusPolicy(Qt::StrongFocus);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(rect());
    picture->setPixmap(svgPixmap(QStringLiteral(":/app/splash.svg"), kSplashSize, devicePixelRatioF()));

    timOut_ = new QTimer(this);
    timOut_->setObjectName(QStringLiteral("timOut"));
    timOut_->setInterval(timeoutMs);
    timOut_->setSingleShot(true);
    connect(timOut_, &QTimer::timeout, this, [this] { closeWith(13); });

    QLabel* mail = addLabel("lblMail", {12, 286, 456, 16});
    // The same address and line as the about box.
    mail->setText(QString::fromLatin1(about_links::kMail));
    mail->setFont(arial(7, false));
    mail->setStyleSheet(QStringLiteral("color: %1").arg(kDim.name()));
    QLabel* copyright = addLabel("lblCopyright", {12, 302, 456, 16});
    copyright->setText(QString::fromLatin1(about_links::kCopyright));
    copyright->setFont(arial(7, false));
    copyright->setStyleSheet(QStringLiteral("color: %1").arg(kDim.name()));

    QLabel* company = addLabel("lblCompany", {198, 102, 270, 20});
    company->setText(QStringLiteral("ID_PROG"));
    company->setFont(arial(10, true));
    QLabel* version = addLabel("lblVersion", {198, 124, 270, 20});
    version->setText(QStringLiteral("ID_VER"));
    version->setFont(arial(10, false));
    QLabel* platform = addLabel("lblPlatform", {198, 146, 270, 20});
    platform->setText(QStringLiteral("ID_WIN32"));
    platform->setFont(arial(10, false));

    QLabel* product = addLabel("lblProductName", {194, 30, 230, 58});
    product->setText(QStringLiteral("Vantorel"));
    product->setFont(arial(34, true));
    product->setStyleSheet(QStringLiteral("color: #ffffff"));

    auto* image3 = new QLabel(this);
    image3->setObjectName(QStringLiteral("Image3"));
    image3->setGeometry(428, 42, 32, 32);
    image3->setPixmap(svgPixmap(QStringLiteral(":/app/chip.svg"), {32, 32}, devicePixelRatioF()));

    QLabel* key = addLabel("lblKey", {196, 236, 272, 28});
    key->setText(QStringLiteral("=============>>>ID_CONTINUE<<<==============="));
    key->setAlignment(Qt::AlignCenter);
    QFont keyFont = key->font();
    keyFont.setPointSize(10);
    keyFont.setBold(true);
    key->setFont(keyFont);
    // A dark band keeps the prompt readable over the circuit traces.
    key->setStyleSheet(
        QStringLiteral("color: %1; background: rgba(5, 10, 22, 200); border: 1px solid rgba(255, "
                       "210, 90, 110); border-radius: 13px;")
            .arg(kAccent.name()));

    // The transparent area over the picture that takes the click.
    imgHit_ = new QWidget(this);
    imgHit_->setObjectName(QStringLiteral("imgHit"));
    imgHit_->setGeometry(rect());
    imgHit_->setAttribute(Qt::WA_NoSystemBackground);
    imgHit_->installEventFilter(this);
    imgHit_->raise();

    localize();
    timOut_->start();
}

QLabel* frmSplash::addLabel(const char* name, const QRect& geometry) {
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setStyleSheet(QStringLiteral("color: %1").arg(kText.name()));
    return label;
}

void frmSplash::localize() {
    // Only these four come from the language file; the rest is the maker's own text.
    const QString section = QStringLiteral("frmSplash");
    for (const char* name : {"lblCompany", "lblKey", "lblPlatform", "lblVersion"}) {
        if (auto* l = findChild<QLabel*>(QLatin1String(name)))
            l->setText(langValue(section, QLatin1String(name)));
    }
    if (auto* key = findChild<QLabel*>(QStringLiteral("lblKey"))) {
        applyInterfaceFont(key);
        // A longer translation gets a smaller size rather than a cut.
        QFont f = key->font();
        while (f.pointSize() > 6 && QFontMetrics(f).horizontalAdvance(key->text()) > key->width() - 20)
            f.setPointSize(f.pointSize() - 1);
        key->setFont(f);
    }
    if (auto* version = findChild<QLabel*>(QStringLiteral("lblVersion")))
        version->setText(version->text() + QLatin1Char(' ') + QString::fromStdString(lang::versionText()));
}

void frmSplash::closeWith(int keyCode) {
    if (done_) return;
    done_ = true;
    timOut_->stop();
    close();
    if (keyCode == 27)
        emit escaped();
    else
        emit continued();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        closeWith(27);
        return;
    }
    // Every other key continues, lone modifiers included.
    closeWith(13);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgHit_ && event->type() == QEvent::MouseButtonRelease) {
        closeWith(13);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vantorel::gui
