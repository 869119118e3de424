// --record: writes what reaches the application and what it reads from
// outside itself, one JSON line each (RunRecordFormat.h), and keeps a copy
// of the application directory as it was at the start beside the record.
#pragma once

#include "host/ReadJournal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QRegion>

class RunRecorder : public ReadJournal {
public:
    // Copies `appDirectory` into the record's folder (or finds the same copy
    // there already) and writes the header. False with a one-line `error`.
    bool open(const QString& recordFile, const QString& appDirectory, const QJsonObject& settings, QString& error);

    void key(int code, int scanCode, const QString& text, bool pressed);
    void pointer(int action, int x, int y);
    void timer(int id);
    void activity(bool foreground);
    // A device event (a location fix or error) as its extension describes it.
    void deviceEvent(const QJsonObject& event);
    // A draw of `region`, before the application is called; then its screen's checksum.
    void draw(const QRegion& region);
    void drawn(const QString& checksum);
    // The last line: how the run ended ("exit", "closed").
    void end(const QString& how);

    QJsonValue read(const char* kind, const QString& name, const std::function<QJsonValue()>& live) override;

private:
    void delivery(const QString& kind, QJsonObject fields);
    void write(const QJsonObject& line);

    QFile file;
    QElapsedTimer sinceStart;
    int deliveries = 0;
    int draws = 0;
    bool ended = false;
};
