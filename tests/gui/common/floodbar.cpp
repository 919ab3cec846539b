#include "gui/common/floodbar.h"

#include <QSignalSpy>
#include <QtTest>

using vantorel::gui::FloodBar;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 24;
const QColor kBand(0, 0, 160);  // dark, so text drawn over it must be light to read
const QColor kBack(255, 255, 255);

enum class Placement { Centred, TwoUnitsIn, EndsThreeUnitsFromRight, TopLeft };

// A bar with known colours and size, so pixels can be counted.
void prepare(FloodBar& bar) {
    bar.resize(kWidth, kHeight);
    bar.setForeColor(kBand);
    bar.setBackColor(kBack);
}

int pixelsOfColourOnRow(const QImage& img, int row, const QColor& c) {
    int n = 0;
    for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, row) == c ? 1 : 0;
    return n;
}

// Counts pixels inside `area` whose grey level passes `test`.
template <typename Pred>
int pixelsWhere(const QImage& img, const QRect& area, Pred test) {
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += test(qGray(img.pixel(x, y))) ? 1 : 0;
    return n;
}

}  // namespace

class FloodBarTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheDocumentedDefaults() {
        FloodBar bar;
        QCOMPARE(bar.foreColor(), bar.palette().color(QPalette::Highlight));
        QCOMPARE(bar.backColor(), bar.palette().color(QPalette::Base));
        QCOMPARE(bar.borderStyle(), 1);
        QCOMPARE(bar.max(), 0);
        QCOMPARE(bar.value(), 0);
        QCOMPARE(bar.mosPct(), false);
        QCOMPARE(bar.align(), 0);
        QVERIFY(bar.text().isEmpty());
    }

    void percentRoundsHalfToEven_data() {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("percent");
        QTest::newRow("half of 64") << 64 << 32 << 50;
        QTest::newRow("12.5 down to even") << 8 << 1 << 12;
        QTest::newRow("37.5 up to even") << 8 << 3 << 38;
        QTest::newRow("62.5 down to even") << 8 << 5 << 62;
        QTest::newRow("87.5 up to even") << 8 << 7 << 88;
        QTest::newRow("one third") << 3 << 1 << 33;
        QTest::newRow("two thirds") << 3 << 2 << 67;
        QTest::newRow("0.5 down to zero") << 200 << 1 << 0;
        QTest::newRow("1.5 up to two") << 200 << 3 << 2;
        QTest::newRow("full") << 7 << 7 << 100;
        QTest::newRow("large counts") << 2000000000 << 1000000000 << 50;
        QTest::newRow("no maximum") << 0 << 0 << 0;
    }
    void percentRoundsHalfToEven() {
        QFETCH(int, max);
        QFETCH(int, value);
        QFETCH(int, percent);
        QCOMPARE(FloodBar::percentOf(value, max), percent);
    }

    void labelPlacement_data() {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("mosPct");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("align");
        QTest::addColumn<QString>("label");
        QTest::addColumn<Placement>("placement");
        QTest::newRow("percent alone") << 64 << 32 << true << "" << 0 << "50%" << Placement::Centred;
        QTest::newRow("percent ignores align") << 8 << 1 << true << "" << 2 << "12%" << Placement::Centred;
        QTest::newRow("text and percent")
            << 100 << 45 << true << "Saving" << 1 << "Saving 45%" << Placement::TwoUnitsIn;
        QTest::newRow("text left") << 100 << 10 << false << "Ready" << 0 << "Ready" << Placement::TwoUnitsIn;
        QTest::newRow("text centred") << 100 << 10 << false << "Ready" << 1 << "Ready" << Placement::Centred;
        QTest::newRow("text right") << 10 << 0 << false << "Ready" << 2 << "Ready"
                                    << Placement::EndsThreeUnitsFromRight;
        QTest::newRow("text other align")
            << 100 << 10 << false << "Ready" << 7 << "Ready" << Placement::TopLeft;
        QTest::newRow("no text, no percent") << 100 << 10 << false << "" << 0 << "" << Placement::TwoUnitsIn;
    }
    void labelPlacement() {
        QFETCH(int, max);
        QFETCH(int, value);
        QFETCH(bool, mosPct);
        QFETCH(QString, text);
        QFETCH(int, align);
        QFETCH(QString, label);
        QFETCH(Placement, placement);

        const QFont font;
        const QFontMetrics fm(font);
        const QSize surface(kWidth, 30);
        const auto lay = FloodBar::layoutFor(surface, fm, max, value, mosPct, text, align);
        const double unit = double(kWidth) / max;
        QCOMPARE(lay.label, label);
        QCOMPARE(FloodBar::labelFor(text, mosPct, value, max), label);
        QCOMPARE(lay.labelRect.width(), double(fm.horizontalAdvance(label)));
        QCOMPARE(lay.bandWidth, value * unit);

        const double midY = (surface.height() - lay.labelRect.height()) / 2;
        switch (placement) {
            case Placement::Centred:
                // Whole units only, so the centre can sit up to one unit off the middle.
                QVERIFY2(std::abs(lay.labelRect.center().x() - kWidth / 2.0) <= unit,
                         qPrintable(QString::number(lay.labelRect.center().x())));
                QVERIFY(std::abs(lay.labelRect.top() - midY) <= 1.0);
                break;
            case Placement::TwoUnitsIn:
                QCOMPARE(lay.labelRect.left(), 2 * unit);
                QVERIFY(std::abs(lay.labelRect.top() - midY) <= 1.0);
                break;
            case Placement::EndsThreeUnitsFromRight:
                QCOMPARE(lay.labelRect.right(), kWidth - 3 * unit);
                QVERIFY(std::abs(lay.labelRect.top() - midY) <= 1.0);
                break;
            case Placement::TopLeft:
                QCOMPARE(lay.labelRect.topLeft(), QPointF(0, 0));
                break;
        }
    }

    void bandWidthFollowsValue_data() {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("pixels");
        QTest::newRow("half") << 64 << 32 << 100;
        QTest::newRow("one eighth") << 8 << 1 << 25;
        QTest::newRow("three eighths") << 8 << 3 << 75;
        QTest::newRow("one third") << 3 << 1 << 67;
        QTest::newRow("full") << 100 << 100 << kWidth;
        QTest::newRow("empty") << 100 << 0 << 0;
        QTest::newRow("negative value") << 10 << -5 << 0;
        QTest::newRow("no maximum") << 0 << 0 << 0;
    }
    void bandWidthFollowsValue() {
        QFETCH(int, max);
        QFETCH(int, value);
        QFETCH(int, pixels);
        FloodBar bar;
        prepare(bar);
        bar.ShowProgress(max, value, QString(), true);
        const QImage img = bar.picture();
        QCOMPARE(img.size(), QSize(kWidth, kHeight));
        // The top and bottom rows hold no text, only band and background.
        for (int row : {0, kHeight - 1}) {
            QCOMPARE(pixelsOfColourOnRow(img, row, kBand), pixels);
            QCOMPARE(pixelsOfColourOnRow(img, row, kBack), kWidth - pixels);
        }
        // The band starts at the left edge.
        if (pixels > 0) QCOMPARE(img.pixelColor(0, 0), kBand);
    }

    void halfwayShowsCentredPercentReadableOnBothSides() {
        FloodBar bar;
        prepare(bar);
        bar.setFont(QFont(bar.font().family(), 14));
        bar.resize(kWidth, 30);
        bar.ShowProgress(64, 32, QString(), true);
        const QImage img = bar.picture();
        QCOMPARE(bar.drawnLayout().label, QStringLiteral("50%"));
        const QRect label = bar.drawnLayout().labelRect.toAlignedRect();
        QVERIFY(std::abs(label.center().x() - kWidth / 2) <= 4);
        QVERIFY(label.left() < 100 && label.right() > 100);  // the label straddles the band's edge
        QCOMPARE(pixelsOfColourOnRow(img, 0, kBand), 100);

        // Left of the edge the label shows light on the dark band; right of it, dark on white.
        const QRect underBand(label.left(), label.top(), 100 - label.left(), label.height());
        const QRect outside(100, label.top(), label.right() - 99, label.height());
        QVERIFY(pixelsWhere(img, underBand, [](int g) { return g > 200; }) > 0);
        QVERIFY(pixelsWhere(img, outside, [](int g) { return g < 60; }) > 0);
    }

    void rightAlignedTextEndsThreeUnitsFromTheEdge() {
        FloodBar bar;
        prepare(bar);
        bar.setAlign(2);
        bar.ShowProgress(10, 0, QStringLiteral("Ready"), false);  // a unit is 20 pixels
        const QImage img = bar.picture();
        int rightmostInk = -1;
        for (int x = 0; x < img.width(); ++x)
            if (pixelsWhere(img, QRect(x, 0, 1, kHeight), [](int g) { return g < 200; }) > 0)
                rightmostInk = x;
        QVERIFY2(rightmostInk >= kWidth - 60 - 5 && rightmostInk < kWidth - 60,
                 qPrintable(QString::number(rightmostInk)));
    }

    void valueAboveMaxKeepsThePicture() {
        FloodBar bar;
        prepare(bar);
        bar.ShowProgress(64, 32, QString(), true);
        const QImage before = bar.picture();
        bar.setValue(65);
        QCOMPARE(bar.value(), 65);
        QCOMPARE(bar.picture(), before);
        QCOMPARE(bar.drawnLayout().label, QStringLiteral("50%"));
        bar.setValue(64);
        QVERIFY(bar.picture() != before);
        QCOMPARE(bar.drawnLayout().label, QStringLiteral("100%"));
    }

    void otherSettersLeaveThePictureAlone_data() {
        QTest::addColumn<QString>("property");
        QTest::newRow("Text") << "Text";
        QTest::newRow("MosPct") << "MosPct";
        QTest::newRow("Align") << "Align";
        QTest::newRow("Max") << "Max";
        QTest::newRow("ForeColor") << "ForeColor";
        QTest::newRow("BackColor") << "BackColor";
    }
    void otherSettersLeaveThePictureAlone() {
        QFETCH(QString, property);
        FloodBar bar;
        prepare(bar);
        bar.ShowProgress(8, 3, QStringLiteral("Saving"), false);
        const QImage before = bar.picture();
        QSignalSpy changed(&bar, &FloodBar::propertyChanged);
        if (property == "Text") bar.setText(QStringLiteral("Loading"));
        if (property == "MosPct") bar.setMosPct(true);
        if (property == "Align") bar.setAlign(1);
        if (property == "Max") bar.setMax(16);
        if (property == "ForeColor") bar.setForeColor(Qt::red);
        if (property == "BackColor") bar.setBackColor(Qt::yellow);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), property);
        QCOMPARE(bar.picture(), before);
        bar.setValue(3);  // the next Value draws with the new setting
        QVERIFY(bar.picture() != before);
    }

    void showProgressSetsMaxTextMosPctValueInOrder() {
        FloodBar bar;
        prepare(bar);
        QSignalSpy changed(&bar, &FloodBar::propertyChanged);
        bar.ShowProgress(10, 4, QStringLiteral("Saving"), true);
        QStringList order;
        for (const auto& args : changed) order << args.at(0).toString();
        QCOMPARE(order, (QStringList{"Max", "Text", "MosPct", "Value"}));
        QCOMPARE(bar.max(), 10);
        QCOMPARE(bar.value(), 4);
        QCOMPARE(bar.text(), QStringLiteral("Saving"));
        QVERIFY(bar.mosPct());
        QCOMPARE(bar.drawnLayout().label, QStringLiteral("Saving 40%"));
        QCOMPARE(pixelsOfColourOnRow(bar.picture(), 0, kBand), 80);
    }

    void resizeDrawsTheSamePictureAcrossTheNewSize() {
        FloodBar bar;
        prepare(bar);
        bar.show();
        bar.ShowProgress(10, 5, QStringLiteral("Half"), true);
        bar.setText(QStringLiteral("Changed later"));  // not on show until the next Value
        bar.resize(300, 40);
        QCOMPARE(bar.picture().size(), QSize(300, 40));
        QCOMPARE(pixelsOfColourOnRow(bar.picture(), 0, kBand), 150);
        QCOMPARE(pixelsOfColourOnRow(bar.picture(), 39, kBand), 150);
        QCOMPARE(bar.drawnLayout().label, QStringLiteral("Half 50%"));
    }

    void widgetShowsThePictureInsideItsBorder() {
        FloodBar bar;
        prepare(bar);
        bar.show();
        bar.ShowProgress(2, 1, QString(), false);
        const QImage shown = bar.grab().toImage();
        QCOMPARE(shown.pixelColor(50, 1), kBand);
        QCOMPARE(shown.pixelColor(150, 1), kBack);
        QVERIFY(shown.pixelColor(150, 0) != kBack);  // the single-line border
        bar.setBorderStyle(0);
        QCOMPARE(bar.grab().toImage().pixelColor(150, 0), kBack);
    }
};

QTEST_MAIN(FloodBarTest)
#include "floodbar.moc"
