#include "gui/about/frm_acerca_de.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "engine/common/paths.h"
#include "engine/common/settings.h"
#include "gui/about/credits_state.h"
#include "gui/about/frm_credits.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"
#include "platform/system_info.h"
#include "vantorel/version.h"

using namespace vantorel;
using vantorel::gui::frmAcercaDe;

// Stands in for the desktop's browser and mail program.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class AboutBoxTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp_;

private:
    QString lang(const char* key) {
        return gui::langValue(QStringLiteral("frmAcercaDe"), QLatin1String(key));
    }
    template <typename T>
    T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QLatin1String(name));
        if (!c) qWarning("no control %s", name);
        return c;
    }
    QLabel* web(QWidget* box, int index) {
        for (QLabel* l : box->findChildren<QLabel*>(QStringLiteral("lblWeb")))
            if (l->property("index").toInt() == index) return l;
        return nullptr;
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

private slots:
    void initTestCase() {
        test::useLanguage(QStringLiteral("English"));
        QVERIFY(temp_.isValid());
        qputenv("TEMP", temp_.path().toLocal8Bit());  // the credits' tune goes here
    }
    void init() { gui::setCreditsUnlocked(false); }

    void fieldsAtLoad() {
        (void)gui::writeSetting(settings::section::ROMs, settings::key::Directorio,
                                QStringLiteral("roms/../Genesis  "));
        frmAcercaDe box;
        QCOMPARE(box.windowTitle(), lang("Caption"));
        QCOMPARE(child<QLabel>(&box, "lblProductName")->text(), QStringLiteral("Vantorel"));
        QCOMPARE(child<QLabel>(&box, "lblPlatform")->text(), lang("lblPlatform"));
        QCOMPARE(child<QLabel>(&box, "lblCompany")->text(), lang("lblCompany"));
        QCOMPARE(child<QLabel>(&box, "lblTransBy")->text(), lang("lblTransBy"));
        QVERIFY(!lang("lblPlatform").isEmpty());
        QCOMPARE(child<QLabel>(&box, "lblVersion")->text(),
                 lang("lblVersion") +
                     QStringLiteral(" %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
        const QString pid = QString::number(QCoreApplication::applicationPid(), 16).toUpper();
        QCOMPARE(child<QGroupBox>(&box, "fApp")->title(), lang("fApp") + QStringLiteral(" - PID #") + pid);
        QCOMPARE(child<QGroupBox>(&box, "fWeb")->title(), lang("fWeb"));
        for (const char* name : {"lbMem", "lbWin", "lbRom", "lbDir"})
            QCOMPARE(child<QLabel>(&box, name)->text(), lang(name));
        QCOMPARE(child<QPushButton>(&box, "IDOK")->text(), lang("IDOK"));
        QCOMPARE(child<QPushButton>(&box, "cmdCredits")->text(), lang("cmdCredits"));
        QVERIFY(child<QPushButton>(&box, "cmdCredits")->isHidden());

        // The system line: name, space, major.minor, " rev ", revision.
        const QString system = child<QLabel>(&box, "lblWinVer")->text();
        QCOMPARE(system, QString::fromStdString(platform::systemLine()));
        QVERIFY2(QRegularExpression(QStringLiteral("^.+ \\d+\\.\\d+ rev \\d+$")).match(system).hasMatch(),
                 qPrintable(system));

        QCOMPARE(child<QLabel>(&box, "lblDir")->text(),
                 QString::fromStdString(paths::executableDir().string()));
        // The ROM folder exactly as stored (the reader trims the line's blanks, nothing else).
        QCOMPARE(child<QLabel>(&box, "lblRomPath")->text(), QStringLiteral("roms/../Genesis"));

        // The memory line follows MemStat with plain numbers in KB.
        const QString memory = child<QLabel>(&box, "lblMemox")->text();
        QString pattern = QRegularExpression::escape(gui::msg(lang::Msg::MemStat));
        // escape() turns "%t" into "\%t"
        pattern.replace(QStringLiteral("\\%t"), QStringLiteral("(\\d+(?:\\.\\d+)?)"));
        pattern.replace(QStringLiteral("\\%f"), QStringLiteral("(\\d+(?:\\.\\d+)?)"));
        const auto m = QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$')).match(memory);
        QVERIFY2(m.hasMatch(), qPrintable(memory));
        const auto real = platform::memoryStatus();
        QCOMPARE(m.captured(1).toDouble(), static_cast<double>(real.totalBytes) / 1024.0);
        QVERIFY(m.captured(2).toDouble() > 0);
    }

    void emptyRomFolderStaysEmpty() {
        (void)gui::writeSetting(settings::section::ROMs, settings::key::Directorio, QStringLiteral(""));
        frmAcercaDe box;
        QCOMPARE(child<QLabel>(&box, "lblRomPath")->text(), QString());
    }

    void linkLabelsKeepOrTranslateTheirNames() {
        frmAcercaDe box;
        const QStringList community = {QStringLiteral("Sega Retro"), QStringLiteral("Plutiedev"),
                                       QStringLiteral("SpritesMind")};
        for (int i = 0; i < 5; ++i) {
            QLabel* l = web(&box, i);
            QVERIFY(l);
            QVERIFY(l->property("Tag").toString().startsWith(QStringLiteral("https://")));
            if (i < 3)
                QCOMPARE(l->text(), community[i]);
            else
                QCOMPARE(l->text(), lang(i == 3 ? "lblWeb(3)" : "lblWeb(4)"));
        }
        QVERIFY(child<QLabel>(&box, "lblMail")->text().contains(QLatin1Char('@')));
        QVERIFY(child<QLabel>(&box, "lblCopyright")->text().contains(QStringLiteral("Vantorel")));
    }

    void fontsArialOrInterface() {
        gui::appState().interfaceFont = QStringLiteral("DejaVu Serif");
        frmAcercaDe box;
        for (const char* name : {"lblProductName", "lblPlatform", "lblVersion", "lblCompany", "lblCopyright"})
            QCOMPARE(child<QWidget>(&box, name)->font().family(), QStringLiteral("Arial"));
        for (const char* name : {"lblMail", "lblTransBy", "fApp", "lbMem", "lblMemox", "IDOK", "cmdCredits"})
            QCOMPARE(child<QWidget>(&box, name)->font().family(), QStringLiteral("DejaVu Serif"));
        gui::appState().interfaceFont.clear();
    }

    void memoryRefreshedEverySecond() {
        frmAcercaDe box;
        auto* timer = child<QTimer>(&box, "timRealMem");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        const std::string saved = gui::appState().catalogue.text(lang::Msg::MemStat);
        gui::appState().catalogue.set(lang::Msg::MemStat, "T=%t F=%f");
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(&box, "lblMemox")->text().startsWith(QStringLiteral("T=")),
                                 3000);
        gui::appState().catalogue.set(lang::Msg::MemStat, saved);
    }

    void linksOpenWithTheDesktop() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
        frmAcercaDe box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (int i = 0; i < 5; ++i) click(web(&box, i));
        click(child<QLabel>(&box, "lblMail"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(recorder.opened.size(), 6);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(recorder.opened[i], QUrl(web(&box, i)->property("Tag").toString()));
        QCOMPARE(recorder.opened[5],
                 QUrl(QStringLiteral("mailto:") + child<QLabel>(&box, "lblMail")->text()));
        QVERIFY(box.isVisible());  // nothing to report, the box stays as it was
    }

    void ctrlCounter_data() {
        QTest::addColumn<QString>("keys");  // C = Ctrl, a = another key
        QTest::addColumn<int>("revealAt");  // the key that shows the button, -1 for none
        const QString nine(9, QLatin1Char('C'));
        QTest::newRow("ten") << QString(10, QLatin1Char('C')) << 9;
        QTest::newRow("nine") << nine << -1;
        QTest::newRow("nine, another, nine") << nine + "a" + nine << -1;
        QTest::newRow("nine, another, ten") << nine + "a" + nine + "C" << 19;
        QTest::newRow("another after ten keeps it") << nine + "Ca" << 9;
    }
    void ctrlCounter() {
        QFETCH(QString, keys);
        QFETCH(int, revealAt);
        frmAcercaDe box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* credits = child<QPushButton>(&box, "cmdCredits");
        for (int i = 0; i < keys.size(); ++i) {
            // Keys go where the focus is, as a person's would; the box sees them all.
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &box;
            QTest::keyClick(target, keys[i] == QLatin1Char('C') ? Qt::Key_Control : Qt::Key_A);
            QVERIFY2(credits->isVisible() == (revealAt >= 0 && i >= revealAt),
                     qPrintable(QStringLiteral("after key %1").arg(i)));
        }
    }

    void ctrlPressesOnAFocusedButtonCountOnce() {
        frmAcercaDe box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* ok = child<QPushButton>(&box, "IDOK");
        for (int i = 0; i < 5; ++i) QTest::keyClick(ok, Qt::Key_Control);
        QVERIFY(child<QPushButton>(&box, "cmdCredits")->isHidden());
        for (int i = 0; i < 5; ++i) QTest::keyClick(&box, Qt::Key_Control);
        QVERIFY(child<QPushButton>(&box, "cmdCredits")->isVisible());
    }

    void nothingOnceTheCreditsWereShown() {
        gui::setCreditsUnlocked(true);
        frmAcercaDe box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        for (int i = 0; i < 30; ++i) QTest::keyClick(&box, Qt::Key_Control);
        QVERIFY(child<QPushButton>(&box, "cmdCredits")->isHidden());
    }

    // The revealed button closes the box and starts the show through the pre-load window.
    void creditsButtonStartsTheShow() {
        QWidget owner;
        auto* box = new frmAcercaDe(&owner);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<frmAcercaDe> guard(box);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        for (int i = 0; i < 10; ++i) QTest::keyClick(box, Qt::Key_Control);
        auto* button = child<QPushButton>(box, "cmdCredits");
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(guard.isNull());

        auto* preload = owner.findChild<QWidget*>(QStringLiteral("frmPreload"));
        QVERIFY(preload);
        QCOMPARE(preload->windowTitle(), QStringLiteral("Building credits..."));
        QCOMPARE(child<QLabel>(preload, "Label1")->text(), QStringLiteral("Please wait..."));
        QPointer<QWidget> preloadGuard(preload);

        QTRY_VERIFY(owner.findChild<gui::frmCredits*>(QStringLiteral("frmCredits")));
        QTRY_VERIFY(preloadGuard.isNull());
        QVERIFY(gui::creditsUnlocked());
        auto* show = owner.findChild<gui::frmCredits*>(QStringLiteral("frmCredits"));
        QPointer<gui::frmCredits> showGuard(show);
        QTRY_COMPARE(show->windowTitle(), gui::appTitle());
        show->quit();
        QTRY_VERIFY(showGuard.isNull());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "frm_acerca_de.moc"
