#include "ui/SoundPlayer.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include <cmath>
#include <cstdint>

namespace orlinda {

TQtSoundPlayer::TQtSoundPlayer() = default;

TQtSoundPlayer::~TQtSoundPlayer()
{
    if (effect_)
        effect_->stop();
}

void TQtSoundPlayer::Play(const QString& file)
{
    if (!effect_)
        effect_ = std::make_unique<QSoundEffect>();
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(file));
    effect_->play();
}

void TQtSoundPlayer::Stop()
{
    if (effect_)
        effect_->stop();
}

int WavDurationMs(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = f.read(44);
    if (header.size() < 44)
        return -1;
    auto u32 = [&header](int at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(header[at]))
               | static_cast<uint32_t>(static_cast<unsigned char>(header[at + 1])) << 8
               | static_cast<uint32_t>(static_cast<unsigned char>(header[at + 2])) << 16
               | static_cast<uint32_t>(static_cast<unsigned char>(header[at + 3])) << 24;
    };
    const uint32_t byteRate = u32(28);
    const uint32_t dataSize = u32(40);
    if (byteRate == 0)
        return -1;
    const double ms = std::nearbyint(static_cast<double>(dataSize) / byteRate * 1000.0);
    // A header claiming more than the int range is not a sound we can time.
    if (ms > 2147483647.0)
        return -1;
    return static_cast<int>(ms);
}

} // namespace orlinda
