#include "gui/about/credits_music.h"

#include <QFile>
#include <span>

#include "engine/about/tune.h"

namespace vantorel::gui {

QByteArray storedCreditsTune() {
    QFile f(QStringLiteral(":/about/credits.mid.inv"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

CreditsMusic::CreditsMusic(std::filesystem::path folder, std::uint64_t runNumber)
    : folder_(std::move(folder)), runNumber_(runNumber), path_(folder_ / about::tempMusicName(runNumber)) {}

CreditsMusic::~CreditsMusic() {
    stopAndDelete();
}

QString CreditsMusic::fileName() const {
    return QString::fromStdString(path_.filename().string());
}

Result<void> CreditsMusic::writeOut() {
    ready_ = false;
    const QByteArray stored = storedCreditsTune();
    if (stored.isEmpty())
        return Error(ErrorCategory::Music, platform::kNoMidiFile, "prVantor.frmWait.Timer1",
                     "This program carries no credits tune");
    const auto bytes = std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(stored.constData()), static_cast<std::size_t>(stored.size()));
    auto written = about::writeTune(bytes, folder_, runNumber_);
    if (!written) return written.error();
    ready_ = true;
    return Done{};
}

Result<void> CreditsMusic::start() {
    if (!ready_)
        return Error(ErrorCategory::Music, platform::kNoMidiFile, "prVantor.frmWait.Timer1",
                     "The credits tune was not written out");
    return player_.play(path_);
}

void CreditsMusic::restart() {
    player_.restart();
}

void CreditsMusic::stopAndDelete() {
    player_.stop();
    if (ready_) {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
        ready_ = false;
    }
}

}  // namespace vantorel::gui
