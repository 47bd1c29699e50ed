#pragma once
// Answers the next modal dialog of a test: once it is on screen, act is called with it.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace orlinda::test {

inline void WhenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (QWidget* w = QApplication::activeModalWidget(); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

} // namespace orlinda::test
