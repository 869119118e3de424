// --replay: runs the application against a record, in a fresh copy of the
// application directory as it was when recording began. Outside reads are
// answered from the record, deliveries arrive in the recorded order at
// their recorded times (at once with --replay-fast), and each draw's screen
// is compared with the recorded checksum (and with the folder's expected
// pictures, when it has any). The first difference ends the run.
#pragma once

#include "host/ReadJournal.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QTemporaryDir>
#include <QVector>

#include <deque>
#include <memory>

class ReplayTarget;

class RunReplayer : public QObject, public ReadJournal {
public:
    // Reads the record and makes the fresh copy of its application folder;
    // false with the lines that say why (a bad record, files that differ
    // from its header). `appDirectory` is where the run takes place.
    bool prepare(const QString& recordFile, QString& appDirectory, QStringList& problems);

    // Starts the deliveries once the application's main has run.
    void start(ReplayTarget& target, bool fast);
    // The application ended the run by itself: the status to end with (1
    // when deliveries of the record were still to come).
    int applicationEnded();

    QJsonValue read(const char* kind, const QString& name, const std::function<QJsonValue()>& live) override;
    bool replaying() const override { return true; }

private:
    void next();
    // Runs one delivery; false when the run must stop.
    bool perform(const QJsonObject& delivery);
    bool checkDraw(int number, const QImage& screen);
    void fail(const QString& line);
    QString describe(const QJsonObject& delivery) const;

    QString record;
    QString folder;
    std::unique_ptr<QTemporaryDir> copy;
    QVector<QJsonObject> deliveries;
    QHash<int, QString> checksums;
    QHash<QString, std::deque<QJsonObject>> reads;
    int cursor = 0;
    int drawsChecked = 0;
    bool fast = false;
    bool stopped = false;
    bool failed = false;
    bool readsDiverged = false;
    ReplayTarget* target = nullptr;
    QElapsedTimer sinceStart;
};
