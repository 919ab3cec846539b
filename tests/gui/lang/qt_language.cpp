// Qt's own texts follow the language file, so no window mixes two languages.
#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

#include "gui/lang/localize.h"

using vantorel::gui::useQtLanguage;

class QtLanguageTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { useQtLanguage(QString()); }

    void messageBoxButtons_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::newRow("Spanish") << "es" << QString::fromUtf8("&Sí") << "&No";
        QTest::newRow("English") << "en"
                                 << "&Yes"
                                 << "&No";
        QTest::newRow("none named") << ""
                                    << "&Yes"
                                    << "&No";
    }
    void messageBoxButtons() {
        QFETCH(QString, locale);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QVERIFY(useQtLanguage(locale));
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
        QCOMPARE(box.button(QMessageBox::No)->text(), no);
    }

    // Back to English after Spanish: the earlier translation goes.
    void aSwitchReplacesTheTranslation() {
        QVERIFY(useQtLanguage("es"));
        QVERIFY(useQtLanguage("en"));
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
    }

    void anUnknownLanguageSaysSo() { QVERIFY(!useQtLanguage("xx")); }
};

QTEST_MAIN(QtLanguageTest)
#include "qt_language.moc"
