// The control of the GPS daemon, shared by everything in the process that
// wants positions. Each start is matched by one stop; while any start is
// unmatched the control keeps a connection to the daemon and hands every fix
// it reports to the GPS devices (GpsDevice).
//
// The preferred method and interval are what the last caller asked for. The
// interval code (INTERVAL_10S, INTERVAL_20S, ...) is the longest time between
// fixes an application is content with; the devices hear every fix the
// daemon reports, which is at least as often.
#pragma once

#include "GpsdAddress.h"
#include "SignalList.h"

#include <QString>

#include <memory>

namespace LocationService {

class GpsdClient;

class GpsDaemonControl {
public:
    enum Method { METHOD_USER_SELECTED = 0 };
    enum Interval { INTERVAL_DEFAULT = 0, INTERVAL_1S = 1, INTERVAL_2S = 2, INTERVAL_5S = 5,
                    INTERVAL_10S = 10, INTERVAL_20S = 20, INTERVAL_30S = 30, INTERVAL_60S = 60, INTERVAL_120S = 120 };

    // The process's control; made on first use, gone when no one holds it.
    static std::shared_ptr<GpsDaemonControl> defaultControl();
    ~GpsDaemonControl();
    GpsDaemonControl(const GpsDaemonControl&) = delete;
    GpsDaemonControl& operator=(const GpsDaemonControl&) = delete;

    void setPreferredMethod(int method) { preferredMethod_ = method; }
    void setPreferredInterval(int interval) { preferredInterval_ = interval; }
    int preferredMethod() const { return preferredMethod_; }
    int preferredInterval() const { return preferredInterval_; }

    void start();
    // Ends one start; the connection ends with the last one.
    void stop();
    int startCount() const { return starts; }

    // The daemon could not be reached or sent nonsense (with a description).
    SignalList<const QString&> errorVerbose;
    // The connection to the daemon ended; a new one is tried while started.
    SignalList<> gpsdStopped;

private:
    GpsDaemonControl() = default;

    int preferredMethod_ = METHOD_USER_SELECTED;
    int preferredInterval_ = INTERVAL_DEFAULT;
    int starts = 0;
    GpsdClient* client = nullptr;
};

} // namespace LocationService
