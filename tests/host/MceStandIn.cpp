// mce_stand_in: owns "com.nokia.mce" on the system bus and, for every line
// read from standard input, emits "display_status_ind" with that line as the
// status. Prints "ready" once it owns the name and "sent" after each signal.
// A subscription bound to the service name only hears the name's owner, so
// tests need this stand-in for the device-state service.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.registerService(QStringLiteral("com.nokia.mce"))) {
        std::fprintf(stderr, "mce_stand_in: cannot own com.nokia.mce\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string status;
        if (!std::getline(std::cin, status)) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/com/nokia/mce/signal"),
                                                         QStringLiteral("com.nokia.mce.signal"),
                                                         QStringLiteral("display_status_ind"));
        signal << QString::fromStdString(status);
        bus.send(signal);
        std::printf("sent\n");
        std::fflush(stdout);
    });
    return app.exec();
}
