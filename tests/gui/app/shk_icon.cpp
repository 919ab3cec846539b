#include "gui/app/shk_icon.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

using vantorel::gui::shkIcon;
using Look = shkIcon::Look;
Q_DECLARE_METATYPE(shkIcon::Look)

namespace {

// Points of the 79 x 81 control; the picture spans x 24-55, y 6-37 and its edge pixels
// count as outside.
const QMap<QString, QPoint> kPoints = {
    {"in", {40, 20}},         {"inCorner", {25, 7}}, {"inFar", {55, 37}},
    {"leftEdge", {24, 20}},   {"topEdge", {40, 6}},  {"rightEdge", {56, 20}},
    {"bottomEdge", {40, 38}}, {"caption", {40, 60}}, {"margin", {5, 5}},
};

void sendMouse(QWidget* w, QEvent::Type type, const QPoint& p, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Steps: "P:point" press, "M:point" move (with the button still down after a press),
// "R:point" release, "F" focus lost; "p:"/"r:" press and release with the right button.
void play(shkIcon* icon, const QString& script) {
    Qt::MouseButtons held;
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
        if (step == "F") {
            QFocusEvent e(QEvent::FocusOut, Qt::OtherFocusReason);
            QApplication::sendEvent(icon, &e);
            continue;
        }
        const QString kind = step.section(':', 0, 0);
        const QPoint p = kPoints.value(step.section(':', 1));
        const Qt::MouseButton button = kind.at(0).isUpper() ? Qt::LeftButton : Qt::RightButton;
        if (kind.compare("P", Qt::CaseInsensitive) == 0) {
            held |= button;
            sendMouse(icon, QEvent::MouseButtonPress, p, button, held);
        } else if (kind == "M") {
            sendMouse(icon, QEvent::MouseMove, p, Qt::NoButton, held);
        } else {
            held &= ~button;
            sendMouse(icon, QEvent::MouseButtonRelease, p, button, held);
        }
    }
}

}  // namespace

class ShortcutIconTest : public QObject {
    Q_OBJECT
private slots:
    void pointerSequences_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<Look>("look");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<int>("clicks");

        QTest::newRow("hover over picture raises") << "M:in" << Look::Raised << false << 0;
        QTest::newRow("hover far corner pixel") << "M:inFar" << Look::Raised << false << 0;
        QTest::newRow("hover near corner pixel") << "M:inCorner" << Look::Raised << false << 0;
        QTest::newRow("hover then leave to margin") << "M:in M:margin" << Look::Flat << false << 0;
        QTest::newRow("hover left edge pixel is outside") << "M:leftEdge" << Look::Flat << false << 0;
        QTest::newRow("hover top edge pixel is outside") << "M:topEdge" << Look::Flat << false << 0;
        QTest::newRow("hover right edge is outside") << "M:rightEdge" << Look::Flat << false << 0;
        QTest::newRow("hover bottom edge is outside") << "M:bottomEdge" << Look::Flat << false << 0;
        QTest::newRow("hover caption") << "M:caption" << Look::Flat << false << 0;
        QTest::newRow("press inside sinks") << "P:in" << Look::Sunken << true << 0;
        QTest::newRow("press inside then move stays sunken") << "P:in M:margin" << Look::Sunken << true << 0;
        QTest::newRow("press and release inside clicks once") << "P:in R:in" << Look::Raised << false << 1;
        QTest::newRow("press caption does nothing") << "P:caption" << Look::Flat << false << 0;
        QTest::newRow("press and release on caption") << "P:caption R:caption" << Look::Flat << false << 0;
        QTest::newRow("press and release on margin") << "P:margin R:margin" << Look::Flat << false << 0;
        QTest::newRow("press on edge pixel does nothing") << "P:leftEdge" << Look::Flat << false << 0;
        QTest::newRow("press in, out, release out: no click")
            << "P:in M:margin R:margin" << Look::Flat << false << 0;
        QTest::newRow("press in, out and back, release in")
            << "P:in M:margin M:in R:in" << Look::Raised << false << 1;
        // A release anywhere ends the pressed state, so hovering raises the frame again.
        QTest::newRow("release outside then hover raises")
            << "P:in R:margin M:in" << Look::Raised << false << 0;
        // The release over the picture decides, wherever the button went down.
        QTest::newRow("press caption, release inside") << "P:caption R:in" << Look::Raised << false << 1;
        QTest::newRow("any button clicks") << "p:in r:in" << Look::Raised << false << 1;
        QTest::newRow("focus loss flattens hover") << "M:in F" << Look::Flat << false << 0;
        QTest::newRow("focus loss flattens press") << "P:in F" << Look::Flat << false << 0;
        QTest::newRow("two clicks") << "P:in R:in P:in R:in" << Look::Raised << false << 2;
    }

    void pointerSequences() {
        QFETCH(QString, script);
        QFETCH(Look, look);
        QFETCH(bool, pressed);
        QFETCH(int, clicks);
        shkIcon icon;
        icon.show();
        QSignalSpy spy(&icon, &shkIcon::clicked);
        play(&icon, script);
        QCOMPARE(icon.look(), look);
        QCOMPARE(icon.isPressedState(), pressed);
        QCOMPARE(spy.count(), clicks);
    }

    void realClickThroughQtTest() {
        shkIcon icon;
        icon.show();
        QVERIFY(QTest::qWaitForWindowExposed(&icon));
        QSignalSpy spy(&icon, &shkIcon::clicked);
        QTest::mouseClick(&icon, Qt::LeftButton, {}, kPoints["in"]);
        QCOMPARE(spy.count(), 1);
        QTest::mouseClick(&icon, Qt::LeftButton, {}, kPoints["caption"]);
        QCOMPARE(spy.count(), 1);
    }

    void disabledIconIgnoresThePointer() {
        shkIcon icon;
        icon.setEnabled(false);
        icon.show();
        QSignalSpy spy(&icon, &shkIcon::clicked);
        QTest::mouseClick(&icon, Qt::LeftButton, {}, kPoints["in"]);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(icon.look(), Look::Flat);
    }

    void sizeIsFixed() {
        shkIcon icon;
        QCOMPARE(icon.size(), shkIcon::kSize);
        icon.resize(200, 30);
        QCOMPARE(icon.size(), shkIcon::kSize);
        icon.setGeometry(10, 10, 40, 300);
        QCOMPARE(icon.size(), shkIcon::kSize);
    }

    void propertiesReportTheirName() {
        shkIcon icon;
        QCOMPARE(icon.text(), QStringLiteral("Icono"));
        QSignalSpy spy(&icon, &shkIcon::propertyChanged);
        icon.setCaption("Convert");
        icon.setBackColor(Qt::red);
        icon.setLabelForeColor(Qt::blue);
        icon.setLabelBackColor(Qt::green);
        icon.setPicture(QIcon());
        QFont f = icon.font();
        f.setPointSize(f.pointSize() + 3);
        icon.setFont(f);
        icon.setEnabled(false);
        QStringList names;
        for (const auto& args : spy) names << args.at(0).toString();
        QCOMPARE(names, (QStringList{"Caption", "BackColor", "LabelForeColor", "LabelBackColor", "Icon",
                                     "Font", "Enabled"}));
        QCOMPARE(icon.text(), QStringLiteral("Convert"));
        QCOMPARE(icon.backColor(), QColor(Qt::red));
    }

    void frameColoursFollowTheLook_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("topLeft");  // palette role name, or "back"
        QTest::newRow("flat") << ""
                              << "back";
        QTest::newRow("raised") << "M:in"
                                << "light";
        QTest::newRow("sunken") << "P:in"
                                << "shadow";
    }

    void frameColoursFollowTheLook() {
        QFETCH(QString, script);
        QFETCH(QString, topLeft);
        shkIcon icon;
        icon.setBackColor(QColor(0x10, 0x20, 0x30));
        QPalette pal = icon.palette();
        pal.setColor(QPalette::Light, QColor(0xfe, 0xfe, 0xfe));
        pal.setColor(QPalette::Shadow, QColor(0x01, 0x01, 0x01));
        icon.setPalette(pal);
        icon.show();
        play(&icon, script);
        const QImage img = icon.grab().toImage();
        const QColor expectTop = topLeft == "back"    ? QColor(0x10, 0x20, 0x30)
                                 : topLeft == "light" ? QColor(0xfe, 0xfe, 0xfe)
                                                      : QColor(0x01, 0x01, 0x01);
        const QColor expectBottom = topLeft == "back"    ? QColor(0x10, 0x20, 0x30)
                                    : topLeft == "light" ? QColor(0x01, 0x01, 0x01)
                                                         : QColor(0xfe, 0xfe, 0xfe);
        // Middle of the left edge (x 24) and of the bottom edge (y 37).
        QCOMPARE(QColor(img.pixel(24, 22)), expectTop);
        QCOMPARE(QColor(img.pixel(40, 37)), expectBottom);
    }
};

QTEST_MAIN(ShortcutIconTest)
#include "shk_icon.moc"
