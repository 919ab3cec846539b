// Engine failures reach the user in the language in use, with their details in place.
#include "gui/common/error_text.h"

#include <QtTest>

#include "engine/archive/archive_reader.h"
#include "engine/common/error.h"
#include "engine/convert/smd.h"
#include "gui/lang/app_state.h"
#include "gui/support/scripted.h"

using namespace vantorel;

class ErrorTextTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { gui::appState().languageFile.clear(); }

    void inTheLanguageInUse_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("English") << "English"
                                 << "the SMD header states 8 blocks but the file holds 4";
        QTest::newRow("Spanish") << "Espanol"
                                 << QString::fromUtf8(
                                        "la cabecera SMD indica 8 bloques, pero el archivo contiene 4");
    }
    void inTheLanguageInUse() {
        QFETCH(QString, language);
        QFETCH(QString, expected);
        test::useLanguage(language);
        const Error e(ErrorCategory::Format, convert::kErrTruncatedSource, "x", "english words", {"8", "4"});
        QCOMPARE(gui::errorKey(e), QStringLiteral("Format603"));
        QCOMPARE(gui::errorText(e), expected);
    }

    void aListTakesEveryName() {
        test::useLanguage("Espanol");
        const Error e(ErrorCategory::Archive, archive::archive_error::kSeveralImages, "x", "several",
                      {"a.bin", "b.smd", "c.md"});
        QCOMPARE(gui::errorText(e),
                 QString::fromUtf8(
                     "el archivo comprimido contiene varias imágenes; elija una de a.bin, b.smd, c.md"));
    }

    void systemTextsAndUnknownNumbersKeepTheirWords() {
        test::useLanguage("Espanol");
        QCOMPARE(gui::errorText(systemError(ENOENT, "x")), QStringLiteral("No such file or directory"));
        const Error unknown(ErrorCategory::Format, 999, "x", "an English description");
        QCOMPARE(gui::errorText(unknown), QStringLiteral("an English description"));
    }
};

QTEST_MAIN(ErrorTextTest)
#include "error_text.moc"
