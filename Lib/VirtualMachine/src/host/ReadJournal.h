// What the application reads from outside itself (the clocks, the random
// seed, directory listings and existence queries, the device files and
// controls of the extensions), passed through one hook so that a run can be
// recorded and replayed: a recorder writes down what the live read
// answered, a replayer answers what was written down.
#pragma once

#include <QJsonValue>
#include <QString>

#include <functional>

class ReadJournal {
public:
    virtual ~ReadJournal() = default;
    // The value the application sees for the read of `kind` (of `name`,
    // where the read names a file); `live` performs the read itself.
    virtual QJsonValue read(const char* kind, const QString& name, const std::function<QJsonValue()>& live) = 0;
    // True while reads are answered from a record: no live device may be
    // opened or listened to then.
    virtual bool replaying() const { return false; }
};
