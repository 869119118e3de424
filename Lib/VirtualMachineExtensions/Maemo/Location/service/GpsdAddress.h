// Where the GPS daemon listens: by default the daemon of this machine on its
// standard port; the environment variable LUMBRA_GPSD may name another
// "host:port" (a bracketed IPv6 host, or a host alone with the default port).
#pragma once

#include <QString>

#include <optional>

namespace LocationService {

struct GpsdAddress {
    static constexpr quint16 DEFAULT_PORT = 2947;
    static constexpr const char* ENVIRONMENT_VARIABLE = "LUMBRA_GPSD";

    QString host = QStringLiteral("localhost");
    quint16 port = DEFAULT_PORT;

    // Parses "host:port"; answers false (and the default) for text that names no usable address.
    static bool parse(const QString& text, GpsdAddress& address);
    // The address from the environment, or the default when it names none.
    // A malformed value answers no address: positions are then not reported,
    // and standard error gets one line naming the value (once per value).
    static std::optional<GpsdAddress> fromEnvironment();
};

} // namespace LocationService
