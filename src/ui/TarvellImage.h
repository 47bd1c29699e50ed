#pragma once
// A light image control: shows one picture of an image list and can step through a range
// of pictures as an animation (the status indicators, logos). The owner drives the
// animation by calling Step from a timer; the control keeps no timer of its own.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace orlinda {

class TImageList;

class TTarvellImage : public QWidget {
    Q_OBJECT
public:
    explicit TTarvellImage(QWidget* parent = nullptr);

    // Setting the list sizes the control to the list's picture size.
    void SetImages(TImageList* images);
    TImageList* Images() const { return images_; }

    // The picture shown; -1 shows nothing.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);

    // Switching on shows the first frame, switching off shows nothing.
    bool AnimationEnabled() const { return animationEnabled_; }
    void SetAnimationEnabled(bool enabled);

    // Time for one pass over the frames, in ms.
    int AnimationTime() const { return animationTime_; }
    void SetAnimationTime(int ms) { animationTime_ = ms; }
    int AnimationFirstFrame() const { return firstFrame_; }
    void SetAnimationFirstFrame(int index) { firstFrame_ = index; }
    int AnimationLastFrame() const { return lastFrame_; }
    void SetAnimationLastFrame(int index) { lastFrame_ = index; }
    // Comma-separated extra pauses in ms: field k is the pause after showing frame first + k.
    const QString& FrameDelays() const { return frameDelays_; }
    void SetFrameDelays(const QString& delays) { frameDelays_ = delays; }

    // Advances the animation when its time has come; true when the frame changed.
    bool Step();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<TImageList> images_;
    int imageIndex_ = -1;
    bool animationEnabled_ = false;
    int animationTime_ = 0;
    int firstFrame_ = 0;
    int lastFrame_ = 0;
    QString frameDelays_;
    uint32_t lastStep_ = 0;  // tick of the last frame step
    uint32_t holdUntil_ = 0; // tick until which the current frame stays; 0: none
    bool holding_ = false;
};

} // namespace orlinda
