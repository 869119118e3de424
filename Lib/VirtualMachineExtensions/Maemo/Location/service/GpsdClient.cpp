#include "GpsdClient.h"

#include "GpsdReport.h"

#include <QTcpSocket>
#include <QTimer>

namespace LocationService {

GpsdClient::GpsdClient(const GpsdAddress& daemon, Handlers reports)
    : address(daemon), handlers(std::move(reports)), socket(new QTcpSocket(this)), retry(new QTimer(this))
{
    retry->setSingleShot(true);
    retry->setInterval(RECONNECT_MS);
    connect(retry, &QTimer::timeout, this, [this] { connectToDaemon(); });
    connect(socket, &QTcpSocket::connected, this, [this] { socket->write(watchRequest()); });
    connect(socket, &QTcpSocket::readyRead, this, [this] { readReports(); });
    connect(socket, &QTcpSocket::disconnected, this, [this] { lost(); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (released)
            return;
        if (handlers.error)
            handlers.error(socket->errorString());
        if (socket->state() == QAbstractSocket::UnconnectedState && !retry->isActive())
            retry->start();
    });
    connectToDaemon();
}

GpsdClient::~GpsdClient()
{
    released = true;
    socket->disconnect(this);
    socket->abort();
}

void GpsdClient::release()
{
    if (released)
        return;
    released = true;
    retry->stop();
    socket->disconnect(this);
    socket->abort();
    deleteLater();
}

bool GpsdClient::isConnected() const
{
    return socket->state() == QAbstractSocket::ConnectedState;
}

void GpsdClient::connectToDaemon()
{
    if (released)
        return;
    pending.clear();
    socket->abort();
    socket->connectToHost(address.host, address.port);
}

void GpsdClient::lost()
{
    if (released)
        return;
    if (handlers.stopped)
        handlers.stopped();
    if (!released && !retry->isActive())
        retry->start();
}

void GpsdClient::readReports()
{
    while (!released && socket->bytesAvailable() > 0) {
        pending += socket->read(MAX_LINE);
        qsizetype start = 0;
        for (qsizetype end; !released && (end = pending.indexOf('\n', start)) >= 0; start = end + 1) {
            const QByteArray line = pending.mid(start, end - start);
            if (auto fix = fixFromReport(line)) {
                if (handlers.fix)
                    handlers.fix(*fix);
            }
        }
        if (released)
            return;
        pending.remove(0, start);
        if (pending.size() > MAX_LINE) {
            if (handlers.error)
                handlers.error(QStringLiteral("report line too long"));
            pending.clear();
        }
    }
}

} // namespace LocationService
