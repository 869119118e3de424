// gpsfake serving a track the test wrote, on a port of its own, for tests
// whose programs hear positions from a real GPS daemon.
#pragma once

#include "Await.h"

#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>
#include <unistd.h>

inline quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// gpsfake in a session of its own, so that its daemon ends with it.
class FakeDaemon {
public:
    static bool installed() { return !QStandardPaths::findExecutable("gpsfake").isEmpty(); }
    // Without a port, each start picks a free one.
    explicit FakeDaemon(quint16 fixedPort = 0) : port(fixedPort), choosesPort(fixedPort == 0) {}
    ~FakeDaemon() { stop(); }
    // Starts gpsfake and waits until its daemon serves the track. gpsfake
    // gives up by itself when its daemon is slow to come up on a loaded
    // machine; it hands the daemon its pty without noticing when the daemon
    // is not yet taking control connections; and a picked port may be taken
    // before the daemon binds it (the daemon then runs on IPv6 alone). Such a
    // start is tried again. With -n the daemon opens the pty as soon as it has
    // it, so it lists it before any client watches.
    bool start(const QString& log)
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            stop();
            if (choosesPort)
                port = freePort();
            process.setChildProcessModifier([] { ::setsid(); });
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process.start("gpsfake", {"-q", "-n", "-c", "0.2", "-P", QString::number(port), log});
            if (!process.waitForStarted(5000))
                continue;
            // The daemon tells nothing of its start: it is asked until it lists the pty.
            (void)TestSupport::awaitProbe("gpsd on port " + QString::number(port) + " to list its device",
                             [this] { return process.state() == QProcess::NotRunning || serves(); }, 15000, 10);
            if (process.state() == QProcess::Running && serves())
                return true;
        }
        return false;
    }
    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        ::kill(-pid_t(process.processId()), SIGTERM);
        if (!process.waitForFinished(5000))
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished(5000);
        // Its daemon may linger for a moment after it.
        (void)TestSupport::awaitProbe("gpsd to leave port " + QString::number(port), [this] { return !listening(); }, 5000, 10);
    }
    bool listening() const
    {
        QTcpSocket probe;
        probe.connectToHost("127.0.0.1", port);
        const bool up = probe.waitForConnected(500);
        probe.abort();
        return up;
    }
    // The daemon greets every client with its version and lists its open
    // devices when asked. Another program on the port does neither, and a
    // daemon that could not bind IPv4 is not reached.
    bool serves() const
    {
        QTcpSocket probe;
        probe.connectToHost("127.0.0.1", port);
        QByteArray replies;
        if (probe.waitForConnected(500)) {
            probe.write("?DEVICES;\n");
            while (!devicesLine(replies).endsWith('\n') && probe.waitForReadyRead(1000))
                replies += probe.readAll();
        }
        probe.abort();
        return replies.contains("\"class\":\"VERSION\"") && devicesLine(replies).contains("\"path\"");
    }
    quint16 port;

private:
    static QByteArray devicesLine(const QByteArray& replies)
    {
        const qsizetype at = replies.indexOf("{\"class\":\"DEVICES\"");
        if (at < 0)
            return {};
        const qsizetype end = replies.indexOf('\n', at);
        return end < 0 ? replies.mid(at) : replies.mid(at, end + 1 - at);
    }

    const bool choosesPort;
    QProcess process;
};
