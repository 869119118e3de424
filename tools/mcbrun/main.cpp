// mcbrun: loads an image, runs its `main` without a window, then runs the
// event loop for the application's timers until the application asks to
// exit, stops on a fatal error, or nothing can call it any more.
#include "QtMessages.h"
#include "RunnerStart.h"
#include "StartupReports.h"
#include "TimeLimitWatchdog.h"
#include "host/StreamHolder.h"
#include "machine/VirtualMachine.h"
#include "profile/OpProfileReport.h"

#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const USAGE = "usage: mcbrun [--budget N] [--time-limit MS] [--heap-mib N] [--profile-ops[=FILE]]\n"
                          "              [--profile-top N] IMAGE | --help\n";

const char* const HELP =
    "Runs a bytecode image without a window.\n"
    "\n"
    "Loads IMAGE, runs its main and then its timers (the system timer entry\n"
    "point) until the application asks to exit or nothing is left that could\n"
    "call it: no timer, no stored call, no sound queued or playing while a\n"
    "sound server is connected or being connected to, and no position\n"
    "requestor running. Nothing is drawn; Qt runs on the offscreen platform\n"
    "unless QT_QPA_PLATFORM says otherwise.\n"
    "\n"
    "Options:\n"
    "  --budget N        end the run with a fatal error after N steps (taken\n"
    "                    branches, calls, returns, error deliveries), counted\n"
    "                    over main and every later entry-point call\n"
    "  --time-limit MS   end the run after MS milliseconds, a loop inside main\n"
    "                    or one long native call included, with one line\n"
    "                    saying so; files the application left open may not\n"
    "                    be flushed then\n"
    "  --heap-mib N      the machine's memory for bytecode (heap, stack,\n"
    "                    strings): N MiB, 16 to 4095 (default 1024)\n"
    "  --profile-ops[=FILE]  count the instructions the run executes, in the\n"
    "                    order they run, and print at its end (to standard\n"
    "                    error, or to FILE) the most frequent instructions,\n"
    "                    pairs and triples: lines \"profile: KIND COUNT PERCENT\n"
    "                    SEQUENCE\"; natives by group, function and name. The\n"
    "                    run is slower and uses no combined instructions; a\n"
    "                    run ended by the time limit prints nothing\n"
    "  --profile-top N   lines of each kind in the profile (default 20; 0: all)\n"
    "  --help            print this text\n"
    "\n"
    "Files: the directory that holds IMAGE is the application directory; the\n"
    "application reads and writes its files there, and a log file it asks for\n"
    "is made there. Log lines (\"LOG: ...\") and errors go to standard error.\n"
    "\n"
    "An image that may draw or call a device extension runs in mcbrun-devices,\n"
    "which must stand in the same directory as mcbrun.\n"
    "\n"
    "Exit status: 0 when the application asks to exit or nothing can happen\n"
    "any more; 1 when the image does not open (\"Failed to open '<path>': <reason>\"),\n"
    "mcbrun-devices does not start when needed, the machine stops on a\n"
    "fatal error (one \"FATAL: \" line), or bytes written to open files are\n"
    "lost at the end (a log line names the files); 124 past the time limit; 2 for a bad\n"
    "command line.\n";

struct Options {
    std::string image;
    long long budget = -1;
    long long timeLimit = -1;
    long long heapMib = 1024;
    bool profileOps = false;
    std::string profileFile; // empty: standard error
    long long profileTop = 20;
    bool help = false;
};

// A whole decimal number from `low` to `high`.
bool parseNumber(const char* text, long long low, long long high, long long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && value >= low && value <= high;
}

bool parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--budget") {
            if (i + 1 >= argc || !parseNumber(argv[++i], 0, LLONG_MAX, options.budget))
                return false;
        } else if (arg == "--time-limit") {
            if (i + 1 >= argc || !parseNumber(argv[++i], 0, INT_MAX, options.timeLimit))
                return false;
        } else if (arg == "--heap-mib") {
            if (i + 1 >= argc || !parseNumber(argv[++i], 16, 4095, options.heapMib))
                return false;
        } else if (arg == "--profile-ops") {
            options.profileOps = true;
        } else if (arg.rfind("--profile-ops=", 0) == 0 && arg.size() > 14) {
            options.profileOps = true;
            options.profileFile = arg.substr(14);
        } else if (arg == "--profile-top") {
            if (i + 1 >= argc || !parseNumber(argv[++i], 0, INT_MAX, options.profileTop))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else if (options.image.empty()) {
            options.image = arg;
        } else {
            return false;
        }
    }
    return options.help || !options.image.empty();
}

// The instruction profile of the run, written when the process ends: after
// main returns, and on the exit paths inside a run (the exit service, a fatal
// error in a later call).
OpProfile* profile = nullptr;

// The headless services; a removed timer may leave nothing to wait for.
class RunnerServices : public RunnerServicesBase {
public:
    RunnerServices(const Str16& directory, VirtualMachine& vm)
        : RunnerServicesBase(directory)
        , machine(vm)
    {
        setTimerMachine(&vm);
        Lumbra::watchExtensionWork(
            *this, [this] { QTimer::singleShot(0, QCoreApplication::instance(), [this] { quitWhenIdle(); }); });
    }

    TWord removeTimer(int id) override
    {
        const TWord listener = RunnerServicesBase::removeTimer(id);
        // Looked at once the running call is over: its stored calls come first.
        QTimer::singleShot(0, QCoreApplication::instance(), [this] { quitWhenIdle(); });
        return listener;
    }

    bool idle() const { return !hasPendingWork() && !machine.hasQueuedCalls(); }

    void quitWhenIdle() const
    {
        if (idle())
            QCoreApplication::exit(0);
    }

private:
    VirtualMachine& machine;
};

// The run ran out of work: what open writers still buffer is written before
// the machine goes, and bytes lost on the way make the status 1.
int endWithWritersFlushed(VirtualMachine& machine, RunnerServices& services, int status)
{
    const std::vector<std::u16string> lost = flushOpenWriters(machine);
    if (!lost.empty())
        services.log(lostWritersMessage(lost));
    const bool logWritten = services.flushLog();
    return lost.empty() && logWritten ? status : 1;
}

// A platform the user names other than the offscreen one.
bool platformNamed()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return !platform.isEmpty() && platform != "offscreen";
}

int run(const Options& options, std::unique_ptr<QCoreApplication>& application, int& qtArgc, char** argv)
{
    const QFileInfo image(QString::fromLocal8Bit(options.image.c_str()));
    VirtualMachine machine(TUint32(options.heapMib) << 20);
    VirtualMachine::setCurrent(&machine);
    machine.setInstructionBudget(options.budget);
    if (profile)
        machine.setOpProfile(profile);
    RunnerServices services(Str16::fromQString(image.absolutePath()), machine);
    const Str16 imageName = Str16::fromQString(image.fileName());
    const OString name = OString::fromVUvar(imageName);
    LUMBRA::InputStream* stream = services.openFileForReading(name);
    if (!stream)
        return Lumbra::reportOpenFailure(services.resolvedPath(name));
    VUvarFileReader reader(stream);

    const auto beforeMain = [&] {
        if (!application)
            application = Lumbra::startQtForImage(machine, qtArgc, argv);
        if (options.timeLimit >= 0) {
            machine.setTimeLimit(options.timeLimit);
            // Bytecode stops at its next step past the deadline; the watchdog
            // ends a native call or the wait for the next tick. A profiled run
            // waiting for its next tick ends through the event loop instead,
            // so that its profile is written; the watchdog comes a second later.
            const std::string line = machine.timeLimitStop().message;
            const auto limit = std::chrono::milliseconds(options.timeLimit);
            Lumbra::startTimeLimitWatchdog(std::chrono::steady_clock::now() + limit
                                               + (profile ? std::chrono::seconds(1) : std::chrono::seconds(0)),
                                           line, MachineStop::TIME_LIMIT_STATUS);
            if (profile)
                QTimer::singleShot(limit, QCoreApplication::instance(), [line] {
                    if (Lumbra::writeTimeLimitLine(line))
                        QCoreApplication::exit(MachineStop::TIME_LIMIT_STATUS);
                });
        }
        services.start();
    };
    try {
        machine.load(reader, imageName, &services, beforeMain);
    } catch (const MachineStop& stop) {
        return Lumbra::reportMachineStop(stop);
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::reportEscapedError();
    } catch (const std::exception& error) {
        return Lumbra::reportHostError(error);
    }
    reader.close();
    const int status = services.idle() ? 0 : QCoreApplication::exec();
    return endWithWritersFlushed(machine, services, status);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(USAGE, stdout);
        std::fputs(HELP, stdout);
        return 0;
    }
    if (options.profileOps) {
        profile = Lumbra::profileUntilExit("mcbrun", options.profileFile, int(options.profileTop));
        if (!profile)
            return 1;
    }
    // Qt sees no arguments: the image's name is not an option of Qt's.
    int qtArgc = 1;
    Lumbra::dropRuntimeDirWarning();
    std::unique_ptr<QCoreApplication> application; // outlives the machine
    if (platformNamed())
        application = Lumbra::startQtOnNamedPlatform(qtArgc, argv);
    else // No window is ever shown: without a choice of the user's, Qt needs no display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return run(options, application, qtArgc, argv);
}
