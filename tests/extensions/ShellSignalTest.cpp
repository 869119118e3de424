// The shell extension's exit-application-view signal, heard on the session
// message bus by dbus-monitor.
#include "ExtensionTestSupport.h"

using namespace ExtensionTest;

namespace {

TEST(ShellOnTheBus, ExitSignalReachesTheBus)
{
    LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "no DBUS_SESSION_BUS_ADDRESS");
    ensureApplication();
    MachineWithExtensions m;
    QProcess monitor;
    QByteArray seen;
    QObject::connect(&monitor, &QProcess::readyReadStandardOutput, [&] { seen += monitor.readAllStandardOutput(); });
    monitor.start("dbus-monitor", {"--session"});
    // The monitor reports its own connection first: from then on it hears everything.
    ASSERT_TRUE(awaitEvent("dbus-monitor to start", [&] { return !seen.isEmpty(); }, 10000));
    EXPECT_EQ(m.call(37, 1, {}, 20).top, 19);
    EXPECT_TRUE(awaitEvent("the exit_app_view signal on the bus", [&] { return seen.contains("member=exit_app_view"); }, 10000)) << seen.constData();
    EXPECT_TRUE(seen.contains("path=/lofasz; interface=com.nokia.hildon_desktop; member=exit_app_view"));
    monitor.terminate();
    monitor.waitForFinished(5000);
}

} // namespace
