// What the application reads from outside itself (the clocks, the random
// seed, directory listings and existence queries), passed through one hook
// so that a run can be recorded and replayed: a recorder writes down what
// the live read answered, a replayer answers what was written down.
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
};
