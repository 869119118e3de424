// A connection to the GPS daemon through the event loop: connects without
// blocking, asks for JSON reports, and hands every time-position-velocity
// report on as a fix. A daemon that cannot be reached or goes away is tried
// again every RECONNECT_MS, so reports resume when it comes back.
//
// The owner ends the connection with release(), which is safe from inside
// the fix handler: nothing more is reported and the object goes with the
// next turn of the event loop.
#pragma once

#include "GpsFix.h"
#include "GpsdAddress.h"

#include <QObject>

#include <functional>

class QTcpSocket;
class QTimer;

namespace LocationService {

class GpsdClient : public QObject {
public:
    static constexpr int RECONNECT_MS = 1000;
    // A line longer than this is no report of the daemon's; it is dropped.
    static constexpr qsizetype MAX_LINE = 64 * 1024;

    struct Handlers {
        std::function<void(const GpsFix&)> fix;
        // The daemon could not be reached, or a report made no sense.
        std::function<void(const QString&)> error;
        // A connection to the daemon ended.
        std::function<void()> stopped;
    };

    GpsdClient(const GpsdAddress& address, Handlers handlers);
    ~GpsdClient() override;

    // Ends the connection; no handler runs afterwards.
    void release();
    bool isConnected() const;

private:
    void connectToDaemon();
    void readReports();
    void lost();

    GpsdAddress address;
    Handlers handlers;
    QTcpSocket* socket;
    QTimer* retry;
    QByteArray pending;
    bool released = false;
};

} // namespace LocationService
