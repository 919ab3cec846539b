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

bool CreditsMusic::writeOut() {
    ready_ = false;
    const QByteArray stored = storedCreditsTune();
    if (stored.isEmpty()) return false;
    const auto bytes = std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(stored.constData()), static_cast<std::size_t>(stored.size()));
    if (!about::writeTune(bytes, folder_, runNumber_)) return false;
    ready_ = true;
    return true;
}

bool CreditsMusic::start() {
    return ready_ && player_.play(path_);
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
