// Waiting for what a test needs, with a deadline that names it.
//
// awaitEvent runs the Qt event loop and checks `done` again after every
// event the loop handles: a process's output or end, a socket's data, a
// watched file, a sound server's callback. It never polls on a timer of its
// own. awaitProbe is for state that sends no event to this process (a
// window's pixels on another client, a daemon starting on a port): it checks
// every `intervalMs`, and says so at the call.
#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace TestSupport {

inline ::testing::AssertionResult awaitEvent(const QString& what, const std::function<bool()>& done, int limitMs)
{
    if (!done()) {
        QEventLoop loop;
        // The dispatcher is about to block when it has handled every pending event.
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (done())
                loop.quit();
        });
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (done())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "timed out after " << limitMs << " ms waiting for " << what.toStdString();
}

inline ::testing::AssertionResult awaitProbe(const QString& what, const std::function<bool()>& probe, int limitMs,
                                             int intervalMs = 100)
{
    QTimer tick;
    tick.start(intervalMs);
    return awaitEvent(what, probe, limitMs);
}

// Lets the event loop run for `ms`: for checks that something does not
// happen within a time.
inline void runEventsFor(int ms)
{
    (void)awaitEvent(QStringLiteral("nothing"), [] { return false; }, ms);
}

} // namespace TestSupport
