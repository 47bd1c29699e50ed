#pragma once
// Asynchronous playback of the reminders' WAV sounds behind a small interface, so that
// the notification window can be driven in tests without an audio device. Starting a new
// sound or stopping stops the previous one.
#include <QString>

#include <memory>

class QSoundEffect;

namespace orlinda {

class TSoundPlayer {
public:
    virtual ~TSoundPlayer() = default;
    virtual void Play(const QString& file) = 0;
    virtual void Stop() = 0;
};

// Qt Multimedia's sound effect; the audio back end is started at the first sound.
class TQtSoundPlayer : public TSoundPlayer {
public:
    TQtSoundPlayer();
    ~TQtSoundPlayer() override;
    void Play(const QString& file) override;
    void Stop() override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};

// A WAV file's playing time from its 44-byte header: the data chunk's size (offset 40)
// over the byte rate (offset 28), in ms rounded to the nearest (halves to even). -1 for a
// file that cannot be read, is shorter than 44 bytes or has a byte rate of 0.
int WavDurationMs(const QString& file);

} // namespace orlinda
