#include "model/NotificationWindow.h"

namespace orlinda {

bool THeadlessNotificationWindow::ShowNotification(const TNotification& notification)
{
    if (!available_)
        return true;
    available_ = false;
    currentID_ = notification.FID;
    last_ = notification;
    ++shown_;
    return false;
}

} // namespace orlinda
