#include "ui/TarvellImage.h"

#include "core/Clock.h"
#include "ui/ImageLists.h"

#include <QPainter>
#include <QStringList>

namespace orlinda {

TTarvellImage::TTarvellImage(QWidget* parent) : QWidget(parent)
{
    setFixedSize(16, 16);
    setAttribute(Qt::WA_TranslucentBackground);
}

void TTarvellImage::SetImages(TImageList* images)
{
    if (images_)
        disconnect(images_, nullptr, this, nullptr);
    images_ = images;
    if (images) {
        setFixedSize(images->ImageSize());
        connect(images, &TImageList::Changed, this, qOverload<>(&QWidget::update));
    }
    update();
}

void TTarvellImage::SetImageIndex(int index)
{
    if (index == imageIndex_)
        return;
    imageIndex_ = index;
    update();
}

void TTarvellImage::SetAnimationEnabled(bool enabled)
{
    animationEnabled_ = enabled;
    // The first frame gets its full time; a hold left from an earlier run is forgotten.
    lastStep_ = TickCount();
    holding_ = false;
    holdUntil_ = 0;
    SetImageIndex(enabled ? firstFrame_ : -1);
}

bool TTarvellImage::Step()
{
    if (!animationEnabled_ || animationTime_ == 0 || lastFrame_ <= firstFrame_)
        return false;
    const uint32_t now = TickCount();
    const uint32_t interval = static_cast<uint32_t>(animationTime_ / (lastFrame_ - firstFrame_));
    if (now - lastStep_ < interval)
        return false;
    if (holding_) {
        if (static_cast<int32_t>(now - holdUntil_) < 0)
            return false;
        holding_ = false;
        holdUntil_ = 0;
    }
    lastStep_ = now;
    const int current = imageIndex_;
    const int next = (current >= firstFrame_ && current < lastFrame_) ? current + 1 : firstFrame_;
    SetImageIndex(next);
    const int k = next - firstFrame_;
    if (k >= 0) {
        const QStringList fields = frameDelays_.split(QLatin1Char(','));
        if (k < fields.size()) {
            bool ok = false;
            const int pause = fields[k].trimmed().toInt(&ok);
            if (ok && pause > 0) {
                holding_ = true;
                holdUntil_ = now + static_cast<uint32_t>(pause);
            }
        }
    }
    return true;
}

QSize TTarvellImage::sizeHint() const
{
    return images_ ? images_->ImageSize() : QSize(16, 16);
}

void TTarvellImage::paintEvent(QPaintEvent*)
{
    if (!images_ || imageIndex_ < 0 || imageIndex_ >= images_->Count())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, images_->Pixmap(imageIndex_));
}

} // namespace orlinda
