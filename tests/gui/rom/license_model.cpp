#include "gui/rom/license_model.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QtTest>

#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"

using vantorel::gui::LicenseModel;

namespace {

QString ticked(LicenseModel& m) {
    QStringList names;
    for (const char* n :
         {"chkJapOld", "chkUSAOld", "chkEurOld", "chkJapNTSC", "chkJapPAL", "chkOVNTSC", "chkOVPAL"})
        if (m.findChild<QCheckBox*>(n)->isChecked()) names << n;
    return names.join(',');
}

QRadioButton* option(LicenseModel& m, int index) {
    for (auto* b : m.findChildren<QRadioButton*>("chkLicModel"))
        if (b->property("index").toInt() == index) return b;
    return nullptr;
}

// As the editor loads a region string: model first, then the code.
void load(LicenseModel& m, const QString& code) {
    m.setProperty("NewLicenseModel", !code.contains(QRegularExpression("[JUE]")));
    m.setProperty("LicenseCode", code);
}

}  // namespace

class LicenseModelTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vantorel::test::useLanguage(); }

    void loadsCodesIntoBoxes_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("result");
        QTest::newRow("JUE") << ""
                             << "JUE" << false << "chkJapOld,chkUSAOld,chkEurOld"
                             << "JUE";
        QTest::newRow("EUJ") << ""
                             << "EUJ" << false << "chkJapOld,chkUSAOld,chkEurOld"
                             << "JUE";
        QTest::newRow("4") << ""
                           << "4  " << true << "chkOVNTSC"
                           << "4  ";
        QTest::newRow("F") << ""
                           << "Fxy" << true << "chkJapNTSC,chkJapPAL,chkOVNTSC,chkOVPAL"
                           << "F  ";
        QTest::newRow("spaces fresh") << ""
                                      << "   " << true << ""
                                      << "   ";
        QTest::newRow("spaces after 4") << "4  "
                                        << "   " << true << ""
                                        << "0  ";
    }
    void loadsCodesIntoBoxes() {
        QFETCH(QString, before);
        QFETCH(QString, code);
        QFETCH(bool, isNew);
        QFETCH(QString, boxes);
        QFETCH(QString, result);
        LicenseModel m;
        if (!before.isEmpty()) load(m, before);
        load(m, code);
        QCOMPARE(m.NewLicenseModel(), isNew);
        QCOMPARE(option(m, 1)->isChecked(), isNew);
        QCOMPARE(option(m, 0)->isChecked(), !isNew);
        QCOMPARE(m.findChild<QWidget*>("picNew")->isHidden(), !isNew);
        QCOMPARE(m.findChild<QWidget*>("picOld")->isHidden(), isNew);
        QCOMPARE(ticked(m), boxes);
        QCOMPARE(m.property("LicenseCode").toString(), result);
    }

    void clicksRebuildTheCode() {
        LicenseModel m;
        load(m, "   ");
        m.findChild<QCheckBox*>("chkJapNTSC")->click();
        m.findChild<QCheckBox*>("chkOVPAL")->click();
        QCOMPARE(m.LicenseCode(), QStringLiteral("9  "));

        LicenseModel old;
        load(old, "   ");
        option(old, 0)->click();
        QCOMPARE(old.LicenseCode(), QStringLiteral("   "));  // the switch alone keeps the code
        QVERIFY(!old.NewLicenseModel());
        old.findChild<QCheckBox*>("chkUSAOld")->click();
        QCOMPARE(old.LicenseCode(), QStringLiteral("U  "));
    }

    void switchingModelKeepsTheCode() {
        LicenseModel m;
        load(m, "JUE");
        option(m, 1)->click();
        QVERIFY(m.NewLicenseModel());
        QCOMPARE(m.LicenseCode(), QStringLiteral("JUE"));
        QVERIFY(!m.findChild<QWidget*>("picNew")->isHidden());
        m.findChild<QCheckBox*>("chkOVNTSC")->click();
        QCOMPARE(m.LicenseCode(), QStringLiteral("4  "));
    }

    void freshControlAndCaptions() {
        LicenseModel m;
        QVERIFY(!m.NewLicenseModel());
        QCOMPARE(m.LicenseCode(), QString());
        QVERIFY(m.property("localizeRoot").toBool());
        for (const char* n :
             {"chkJapOld", "chkUSAOld", "chkEurOld", "chkJapNTSC", "chkJapPAL", "chkOVNTSC", "chkOVPAL"}) {
            QCOMPARE(m.findChild<QCheckBox*>(n)->text(), vantorel::gui::langValue("RegCodes", n));
            QVERIFY(!m.findChild<QCheckBox*>(n)->text().isEmpty());
        }
        QCOMPARE(option(m, 0)->text(), vantorel::gui::langValue("RegCodes", "chkLicModel(0)"));
        m.setEnabled(false);
        QVERIFY(!m.findChild<QCheckBox*>("chkOVPAL")->isEnabled());
    }
};

QTEST_MAIN(LicenseModelTest)
#include "license_model.moc"
