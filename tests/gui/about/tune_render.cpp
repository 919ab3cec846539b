#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "engine/about/tune.h"
#include "gui/about/credits_music.h"
#include "platform/midi_player.h"

using namespace vantorel;

// The tune kept in the program, written out and rendered offline by FluidSynth: it must
// make sound.
class TuneRenderTest : public QObject {
    Q_OBJECT

private slots:
    void resourceHoldsTheStoredTune() {
        const QByteArray stored = gui::storedCreditsTune();
        QVERIFY(!stored.isEmpty());
        QFile source(QStringLiteral(VANTOREL_SOURCE_DIR "/resources/about/credits.mid.inv"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QCOMPARE(stored, source.readAll());
        // Stored inverted: the file's first bytes are not "MThd" until turned back.
        QVERIFY(!stored.startsWith("MThd"));
    }

    void renderedTuneIsNotSilent() {
        if (!platform::midiSupported()) QSKIP("built without FluidSynth");
        if (!QFile::exists(QString::fromStdString(platform::defaultSoundFont().string())))
            QSKIP("no General MIDI sound font installed");
        QTemporaryDir dir;
        gui::CreditsMusic music(dir.path().toStdString(), 0xC0FFEE);
        QVERIFY(music.writeOut());
        QCOMPARE(music.fileName(), QStringLiteral("C0FFEE.mid"));
        const QString wav = dir.filePath(QStringLiteral("tune.wav"));
        auto rendered =
            platform::renderMidiToWav(music.path(), platform::defaultSoundFont(), wav.toStdString(), 20.0);
        QVERIFY2(rendered.ok(), rendered.ok() ? "" : rendered.error().description().c_str());

        QFile f(wav);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE");
        const qsizetype data = bytes.indexOf("data");
        QVERIFY(data > 0);
        const auto* samples = reinterpret_cast<const qint16*>(bytes.constData() + data + 8);
        const qsizetype count = (bytes.size() - data - 8) / 2;
        QVERIFY(count > 2 * 44100 * 15);  // most of the 20 seconds asked for
        double sum = 0;
        int peak = 0;
        for (qsizetype i = 0; i < count; ++i) {
            sum += double(samples[i]) * samples[i];
            peak = std::max(peak, std::abs(int(samples[i])));
        }
        const double rms = std::sqrt(sum / double(count));
        QVERIFY2(rms > 300, qPrintable(QString::number(rms)));
        QVERIFY2(peak > 3000 && peak < 32767, qPrintable(QString::number(peak)));  // loud, not clipped
        music.stopAndDelete();
        QVERIFY(!QFile::exists(QString::fromStdString(music.path().string())));
    }
};

QTEST_MAIN(TuneRenderTest)
#include "tune_render.moc"
