// What a replay drives: the window's deliveries, without real input.
#pragma once

#include <QImage>
#include <QJsonObject>
#include <QRegion>
#include <QString>

class ReplayTarget {
public:
    virtual ~ReplayTarget() = default;
    virtual void replayKey(int code, int scanCode, const QString& text, bool pressed) = 0;
    virtual void replayPointer(int action, int x, int y) = 0;
    // False when no live timer has `id`.
    virtual bool replayTimer(int id) = 0;
    virtual void replayActivity(bool foreground) = 0;
    // False when no extension of the application can take the device event now.
    virtual bool replayDevice(const QJsonObject& event) = 0;
    // Lets the application draw `region` and answers the logical screen after it.
    virtual QImage replayDraw(const QRegion& region) = 0;
};
