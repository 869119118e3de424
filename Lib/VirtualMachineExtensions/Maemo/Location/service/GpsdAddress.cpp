#include "GpsdAddress.h"

#include <QByteArray>

#include <cstdio>

namespace LocationService {

bool GpsdAddress::parse(const QString& text, GpsdAddress& address)
{
    address = GpsdAddress();
    QString host = text.trimmed();
    QString port;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        const QString rest = host.mid(close + 1);
        host = host.mid(1, close - 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return false;
            port = rest.mid(1);
        }
    } else if (host.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = host.indexOf(QLatin1Char(':'));
        port = host.mid(colon + 1);
        host = host.left(colon);
    }
    if (host.isEmpty())
        return false;
    quint16 number = DEFAULT_PORT;
    if (!port.isEmpty()) {
        bool ok = false;
        const uint value = port.toUInt(&ok);
        if (!ok || value == 0 || value > 65535)
            return false;
        number = quint16(value);
    }
    address.host = host;
    address.port = number;
    return true;
}

std::optional<GpsdAddress> GpsdAddress::fromEnvironment()
{
    GpsdAddress address;
    const QByteArray text = qgetenv(ENVIRONMENT_VARIABLE);
    if (text.isEmpty() || parse(QString::fromLocal8Bit(text), address))
        return address;
    // Falling back to the default daemon would report positions from a
    // daemon the user did not name.
    static QByteArray warnedFor;
    if (text != warnedFor) {
        warnedFor = text;
        std::fprintf(stderr, "%s: '%s' is no host, host:port or [IPv6 host]:port; positions are not reported\n",
                     ENVIRONMENT_VARIABLE, text.constData());
    }
    return std::nullopt;
}

} // namespace LocationService
