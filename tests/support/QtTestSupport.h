// What the widget tests share: the one application object, pictures of
// windows on request, named children, clicks and checks run by the event loop.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace qttest {

// Made on the first call; never destroyed, since tearing it down among the
// other statics at exit crashes.
inline QApplication& App(const char* name = "jux_test")
{
    static int argc = 1;
    static std::string program = name;
    static char* argv[] = {program.data(), nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// With JUX_SCREENSHOT_DIR set, saves the window there as NAME.png.
inline void Snap(QWidget& w, const char* name)
{
    const char* dir = std::getenv("JUX_SCREENSHOT_DIR");
    if (!dir || !*dir)
        return;
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png", "PNG")) << name;
}

// Calls `check` at every pass of the event loop until it answers true.
inline void EveryPass(QObject* parent, std::function<bool()> check)
{
    auto* timer = new QTimer(parent);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        if (check()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// A named child widget of a window.
template <class T> T* Child(QWidget* window, const char* name)
{
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// A left click as the widget receives it.
inline void Click(QWidget* w)
{
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

} // namespace qttest
