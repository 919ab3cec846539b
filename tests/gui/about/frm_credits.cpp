#include "gui/about/frm_credits.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "engine/about/credits.h"
#include "engine/about/tune.h"
#include "gui/about/credit_sheet.h"
#include "gui/about/credits_state.h"
#include "gui/about/frm_preload.h"
#include "gui/common/prompt.h"
#include "gui/support/scripted.h"
#include "platform/system_info.h"

using namespace vantorel;
using about::CreditLine;
using gui::frmCredits;

namespace {

// Rows of the band [top, top + height) holding any pixel brighter than the black sheet.
int litRows(const QImage& img, int top, int height) {
    int rows = 0;
    for (int y = std::max(0, top); y < std::min(img.height(), top + height); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (qGray(img.pixel(x, y)) > 40) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

// Leftmost and rightmost lit columns of a band, or (-1, -1).
std::pair<int, int> litColumns(const QImage& img, int top, int height) {
    int left = -1, right = -1;
    for (int y = std::max(0, top); y < std::min(img.height(), top + height); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) > 40) {
                if (left < 0 || x < left) left = x;
                right = std::max(right, x);
            }
    return {left, right};
}

QString musicPathFor(const QString& folder) {
    return folder + QLatin1Char('/') +
           QString::fromStdString(about::tempMusicName(static_cast<std::uint64_t>(platform::processId())));
}

}  // namespace

class CreditsShowTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp_;

    frmCredits* openShow() {
        auto* show = new frmCredits;
        show->show();
        return show;
    }
    static QWidget* topLevel(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
        return nullptr;
    }

private slots:
    void initTestCase() {
        test::useLanguage(QStringLiteral("English"));
        QVERIFY(temp_.isValid());
    }
    void init() { qputenv("TEMP", temp_.path().toLocal8Bit()); }
    // A failed check leaves its show open; the next test starts without it.
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* show = qobject_cast<frmCredits*>(w)) show->quit();
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void linesArePaintedWhereTheyWerePlaced() {
        const std::vector<CreditLine> lines = {
            {"Title", "Arial", 28, 15, about::kBold, about::kAlignCentre, -5},
            {"", "Arial", 16, 15, 0, about::kAlignCentre, 10},
            {"left", "Arial", 12, 14, 0, about::kAlignLeft, 3},
            {"right", "Arial", 12, 10, about::kItalic, about::kAlignRight, 3},
            {"under", "Arial", 12, 15, about::kUnderline, about::kAlignCentre, 2},
        };
        QList<int> counted;
        const gui::CreditSheet sheet =
            gui::paintCreditSheet(lines, 300, 96, QStringLiteral("Arial"), [&](int n) { counted << n; });
        QCOMPARE(counted, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(sheet.image.width(), 300);
        QCOMPARE(static_cast<int>(sheet.lines.size()), 5);

        int expectedTop = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const gui::PaintedLine& p = sheet.lines[i];
            QCOMPARE(p.top, expectedTop);
            QCOMPARE(p.advance, p.height + lines[i].spacing);
            expectedTop += p.advance;
            const int lit = litRows(sheet.image, p.top, p.height);
            if (lines[i].text.empty())
                QCOMPARE(lit, 0);
            else
                QVERIFY2(lit > p.height / 3, qPrintable(QStringLiteral("line %1: %2 rows").arg(i).arg(lit)));
        }
        // The margin below the last line that the scroll never copies is there, and empty.
        QVERIFY(sheet.image.height() >= expectedTop + about::CreditScroll::kSheetMargin);
        QCOMPARE(litRows(sheet.image, expectedTop + 2, sheet.image.height()), 0);

        // Left edge, right edge, centre.
        const auto left = litColumns(sheet.image, sheet.lines[2].top, sheet.lines[2].height);
        QVERIFY(left.first >= 0 && left.first < 5);
        const auto right = litColumns(sheet.image, sheet.lines[3].top, sheet.lines[3].height);
        QVERIFY(right.second > 290);
        const auto centre = litColumns(sheet.image, sheet.lines[0].top, sheet.lines[0].height);
        QVERIFY(std::abs((centre.first + centre.second) / 2 - 150) < 6);
        // Colour 14 is yellow, 10 light green.
        const QColor yellow = QColor::fromRgb(about::paletteColour(14));
        bool sawYellow = false;
        for (int y = sheet.lines[2].top; y < sheet.lines[2].top + sheet.lines[2].height; ++y)
            for (int x = 0; x < 100; ++x) sawYellow |= sheet.image.pixelColor(x, y) == yellow;
        QVERIFY(sawYellow);
    }

    void defaultKeepsThePreviousFont() {
        const std::vector<CreditLine> lines = {
            {"serif", "DejaVu Serif", 12, 15, 0, about::kAlignCentre, 0},
            {"same", about::kDefaultFont, 20, 15, about::kBold, about::kAlignCentre, 0},
            {"sans", "Arial", 12, 15, 0, about::kAlignCentre, 0},
            {"again", about::kDefaultFont, 12, 15, about::kItalic, about::kAlignCentre, 0},
        };
        const gui::CreditSheet sheet = gui::paintCreditSheet(lines, 200, 96, QStringLiteral("Arial"));
        QCOMPARE(sheet.lines[1].font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(sheet.lines[1].font.pointSize(), 20);
        QVERIFY(sheet.lines[1].font.bold());
        QCOMPARE(sheet.lines[3].font.family(), QStringLiteral("Arial"));
        QVERIFY(!sheet.lines[3].font.bold());  // style bits do not carry over
        QVERIFY(sheet.lines[3].font.italic());
    }

    void showScrollsAndWraps() {
        QPointer<frmCredits> show(openShow());
        QVERIFY(QTest::qWaitForWindowExposed(show));
        auto* view = show->findChild<QWidget*>(QStringLiteral("About"));
        QVERIFY(view);
        QCOMPARE(
            show->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
            QStringLiteral("Press UP for increase scrolling speed. Press DOWN for decrease it or for stop. "
                           "Press ESC key for quit this!"));
        auto* tick = show->findChild<QTimer*>(QStringLiteral("timDoStuff"));
        QVERIFY(tick->isActive());
        QCOMPARE(tick->interval(), 10);
        tick->stop();  // the test ticks by hand from here

        // Every credit line is on the sheet, and the sheet is as wide as the view.
        const gui::CreditSheet& sheet = show->sheet();
        QCOMPARE(sheet.image.width(), view->width());
        QVERIFY(sheet.lines.size() > 20);
        QCOMPARE(show->scroll().blitHeight(), sheet.image.height() - about::CreditScroll::kSheetMargin);
        QCOMPARE(show->scroll().speed(), 1);
        const int start = show->scroll().y();
        QVERIFY(start <= view->height());  // from the bottom edge

        show->tickScroll();
        show->tickScroll();
        QCOMPARE(show->scroll().y(), start - 2);

        // What the view shows is the sheet at the scroll's place: the top line under the cursor.
        for (int i = 0; i < view->height() / 2; ++i) show->tickScroll();
        const QImage shown = view->grab().toImage();
        QVERIFY(litRows(shown, 0, shown.height()) > 10);

        // Keys: Up speeds up, Down slows down and stops at 0.
        QTest::keyClick(show, Qt::Key_Up);
        QTest::keyClick(show, Qt::Key_Up);
        QCOMPARE(show->scroll().speed(), 3);
        for (int i = 0; i < 5; ++i) QTest::keyClick(show, Qt::Key_Down);
        QCOMPARE(show->scroll().speed(), 0);
        const int stopped = show->scroll().y();
        show->tickScroll();
        QCOMPARE(show->scroll().y(), stopped);
        QTest::keyClick(show, Qt::Key_Control);
        QTest::keyClick(show, Qt::Key_Shift);
        QCOMPARE(show->scroll().speed(), 0);

        // Run it up until the whole sheet has gone: it starts again from the bottom.
        QTest::keyClick(show, Qt::Key_Up);
        int guard = 0;
        while (show->scroll().y() > -show->scroll().blitHeight() && guard++ < 100000) show->tickScroll();
        QCOMPARE(show->scroll().y(), -show->scroll().blitHeight());  // the last rows still on screen
        show->tickScroll();
        QCOMPARE(show->scroll().y(), view->height());

        QTest::keyClick(show, Qt::Key_Escape);
        QTRY_VERIFY(show.isNull());
    }

    void musicIsWrittenOutPlayedAndRemovedByEscape() {
        const QString path = musicPathFor(temp_.path());
        QPointer<frmCredits> show(openShow());
        QCOMPARE(show->windowTitle(), QStringLiteral("CreditShowRuntime"));
        QPointer<QWidget> wait;
        QTRY_VERIFY((wait = topLevel("frmWait")));
        QCOMPARE(wait->windowTitle(), QStringLiteral("Loading MIDI..."));
        QCOMPARE(wait->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Please wait..."));
        QCOMPARE(wait->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("Por favor espera... Cargando MIDI ") + QFileInfo(path).fileName());
        QVERIFY(wait->isModal());
        QCOMPARE(wait->parentWidget(), show.data());

        QTRY_VERIFY(wait.isNull());
        QCOMPARE(show->windowTitle(), gui::appTitle());
        QVERIFY(show->music().ready());
        QVERIFY(QFile::exists(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        f.close();
        auto midi =
            about::checkStandardMidi(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())));
        QVERIFY(midi.ok());

        auto* t1 = show->findChild<QTimer*>(QStringLiteral("timMIDI1"));
        auto* t2 = show->findChild<QTimer*>(QStringLiteral("timMIDI2"));
        auto* t3 = show->findChild<QTimer*>(QStringLiteral("timMIDI3"));
        QVERIFY(t1->isActive());
        QVERIFY(!t2->isActive() && !t3->isActive());
        QCOMPARE(t1->interval() + t2->interval() + t3->interval(), 136985);
        QCOMPARE(t1->interval(), 45660);
        QCOMPARE(t3->interval(), 45665);
        // Run the relay quickly: 1 hands over to 2, 2 to 3, 3 back to 1.
        for (QTimer* t : {t1, t2, t3}) t->setInterval(5);
        t1->start();
        QTRY_VERIFY(t2->isActive() || t3->isActive());
        QTRY_VERIFY(t3->isActive() || (t1->isActive() && !t2->isActive()));
        QTRY_VERIFY(t1->isActive());
        QVERIFY(QFile::exists(path));

        QTest::keyClick(show, Qt::Key_Escape);
        QTRY_VERIFY(show.isNull());
        QVERIFY(!QFile::exists(path));
    }

    // No place to write the tune: the show goes on without music, and nothing ends the program.
    void showRunsSilentlyWhenTheTuneCannotBeWritten() {
        const QString missing = temp_.path() + QStringLiteral("/no/such/folder");
        qputenv("TEMP", missing.toLocal8Bit());
        QPointer<frmCredits> show(openShow());
        QTRY_VERIFY(topLevel("frmWait"));
        QTRY_VERIFY(!topLevel("frmWait"));
        QVERIFY(!show.isNull());
        QVERIFY(show->isVisible());
        QVERIFY(!show->music().ready());
        QVERIFY(!show->music().playing());
        QVERIFY(!QDir(missing).exists());
        QCOMPARE(show->windowTitle(), gui::appTitle());
        QVERIFY(!show->findChild<QTimer*>(QStringLiteral("timMIDI1"))->isActive());
        // Still scrolling.
        const int y = show->scroll().y();
        QTRY_VERIFY(show->scroll().y() < y);

        QTest::keyClick(show, Qt::Key_Escape);
        QTRY_VERIFY(show.isNull());
    }

    // Without a sound device (as on a build machine) or without a sound font, the tune is
    // written but cannot sound; the show and its restart timers go on.
    void showRunsSilentlyWithoutSound() {
        QPointer<frmCredits> show(openShow());
        QTRY_VERIFY(show->windowTitle() == gui::appTitle());
        QVERIFY(show->music().ready());
        if (!show->music().playing()) QVERIFY(show->isVisible());
        show->music().restart();  // what timMIDI3 does, whether the tune sounds or not
        QVERIFY(show->isVisible());
        show->quit();
        QTRY_VERIFY(show.isNull());
    }

    void preloadOpensTheShowOnce() {
        gui::setCreditsUnlocked(false);
        QWidget owner;
        auto* preload = new gui::frmPreload(&owner);
        QPointer<QWidget> guard(preload);
        QCOMPARE(preload->findChild<QLabel*>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("Por favor espera... Cargando lista de creditos..."));
        QCOMPARE(preload->findChild<QTimer*>(QStringLiteral("timPreLoad"))->interval(), 50);
        preload->show();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(gui::creditsUnlocked());
        const auto shows = owner.findChildren<frmCredits*>(QStringLiteral("frmCredits"));
        QCOMPARE(shows.size(), 1);
        shows.first()->quit();
    }
};

QTEST_MAIN(CreditsShowTest)
#include "frm_credits.moc"
