// Player entry: reads the player's command line, chooses the application
// directory, opens the main view, subscribes it to the display status,
// starts the application and runs the event loop.
//   mcbplayer [OPTIONS]          the working directory holds index.mcb
//   mcbplayer [OPTIONS] APPDIR   APPDIR holds it (or IMAGE, its path)
//   mcbplayer [OPTIONS] --auto   /opt/<name of this executable> holds it
// A command line the player does not understand ends it with one line and
// status 2 before any display is opened.
#include "MainView.h"
#include "PlatformStart.h"
#include "PlayerOptions.h"
#include "PlayerSettings.h"
#include "RunRecorder.h"
#include "RunReplayer.h"
#include "SoundOutput.h"
#include "QtMessages.h"
#include "QtClientApplication.h"
#include "ScreenshotFiles.h"
#include "StartupReports.h"
#include "Trace.h"
#include "VMError.h"
#include "profile/OpProfileReport.h"

#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTimer>

#include <libgen.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr int PATH_BUFFER_SIZE = 4097;
constexpr int USAGE_STATUS = 2;

const char* const USAGE =
    "usage: mcbplayer [--window | --fullscreen] [--screenshot-dir DIR] [--speed F]\n"
    "                 [--keymap FILE] [--volume 0..100] [--mute] [--reset-settings]\n"
    "                 [--screenshot-after MS FILE] [--record FILE] [--trace]\n"
    "                 [--profile-ops[=FILE] [--profile-top N]] [--auto | APPDIR | IMAGE]\n"
    "       mcbplayer --replay FILE [--replay-fast] [--window | --fullscreen] [--trace]\n"
    "                 [--profile-ops[=FILE] [--profile-top N]]\n"
    "       mcbplayer --help\n";

const char* const HELP =
    "Runs the application compiled into index.mcb.\n"
    "\n"
    "The application directory holds index.mcb and every file the application\n"
    "reads or writes (a log file it asks for included): APPDIR, the directory\n"
    "of IMAGE (a path ending in index.mcb), with --auto /opt/<name of this\n"
    "program>, and otherwise the working directory. Options may stand anywhere;\n"
    "after \"--\" an argument is the application argument even when it starts\n"
    "with \"-\". An unknown option, an option given twice, a second application\n"
    "argument, options that exclude each other and an option that does nothing\n"
    "in the chosen presentation end the player with one line and status 2.\n"
    "\n"
    "Without --window or --fullscreen the player covers the whole screen as on\n"
    "the handset: the application draws from the top left corner in window\n"
    "coordinates and is told its screen is 800 x 480 (480 x 800 in portrait).\n"
    "Where no window manager makes the window cover the screen and it stays\n"
    "smaller than that, one line says so: --window shows all of it.\n"
    "\n"
    "Options:\n"
    "  --window          show that logical screen in a normal window, scaled by\n"
    "                    the largest whole factor that fits the window (shrunk\n"
    "                    to fit when even 1 does not), centred between black\n"
    "                    bars; the window opens at the largest whole multiple\n"
    "                    of the logical screen that fits the desktop, its title\n"
    "                    the application directory's name. Pointer positions\n"
    "                    reach the application in logical pixels; a press on\n"
    "                    the bars is ignored, the moves and release of a press\n"
    "                    on the screen are held to its edges.\n"
    "  --fullscreen      the same scaling over the whole screen\n"
    "  --screenshot-dir DIR\n"
    "                    with --window or --fullscreen: where F12 saves (default:\n"
    "                    the pictures folder, ~/Pictures or XDG_PICTURES_DIR,\n"
    "                    when it exists, else the working directory), as\n"
    "                    <application directory name>-YYYYMMDD-HHMMSS.png, with\n"
    "                    -2, -3 ... added rather than replacing a file; one line\n"
    "                    on standard error names the file\n"
    "  --screenshot-after MS FILE\n"
    "                    in any presentation, run for MS milliseconds, then save\n"
    "                    the logical screen (800 x 480 or 480 x 800, unscaled, as\n"
    "                    the application draws it then) as PNG to FILE and exit\n"
    "                    with status 0; an application that ends first saves\n"
    "                    nothing and ends as usual\n"
    "  --speed F         with --window or --fullscreen: the application's timers\n"
    "                    and uptime run F times as fast (0.25 to 8; default 1);\n"
    "                    the wall clock and calendar keep real time\n"
    "  --keymap FILE     with --window or --fullscreen: remap keys, one line each:\n"
    "                      desktop key = application key\n"
    "                    the left a Qt key name (W, Space, F1), the right a Qt\n"
    "                    key name (translated as typed keys are), a number\n"
    "                    (decimal or 0x hex) given to the application as it is\n"
    "                    with empty text, or none to drop the key; '#' starts a\n"
    "                    comment line. F3, F9, F11 and F12 cannot be mapped. An\n"
    "                    error names FILE:LINE and ends the player with status 2\n"
    "  --volume N        every sound at N percent (0 to 100), in any presentation\n"
    "  --mute            every sound muted, in any presentation\n"
    "  --reset-settings  with --window or --fullscreen: forget what was remembered\n"
    "                    for this application\n"
    "  --record FILE     in any presentation, write the run to FILE: every key,\n"
    "                    pointer, timer tick, draw, foreground and background the\n"
    "                    application gets, the clocks, random seed, listings and\n"
    "                    existence queries it reads, and a checksum of the\n"
    "                    logical screen after each draw; FILE's folder gets the\n"
    "                    application directory as it is now, in app/\n"
    "  --replay FILE     run the record FILE again, in a fresh copy of its folder's\n"
    "                    app/, in a window (offscreen too), without real input:\n"
    "                    the first draw whose screen differs from the record ends\n"
    "                    the player with status 1, a line naming the draw and the\n"
    "                    delivery before it, and FILE's name with -draw-N.png\n"
    "                    holding the picture; files that differ from the record's\n"
    "                    header are named before the run starts (status 1)\n"
    "  --replay-fast     with --replay: deliveries follow at once, not at their\n"
    "                    recorded times\n"
    "  --trace           write \"TRACE: \" lines to standard error: each entry\n"
    "                    point the player calls, the fatal error that ends a run\n"
    "                    (with the call and position it stopped at), and the\n"
    "                    heap's memory report when the player ends\n"
    "  --profile-ops[=FILE]  count the instructions the application runs; when\n"
    "                    the player ends (a replay's end included) write to FILE\n"
    "                    (default: standard error) the number run and the most\n"
    "                    frequent single instructions, pairs and triples, as\n"
    "                    mcbrun does: lines \"profile: KIND COUNT PERCENT\n"
    "                    SEQUENCE\", natives by number and name. The\n"
    "                    application runs slower, without combined instructions\n"
    "  --profile-top N   lines of each kind in the profile (default 20; 0: all)\n"
    "  --auto            run /opt/<name of this program>/index.mcb\n"
    "  --help            print this text\n"
    "\n"
    "Keys of the player's own, never passed to the application:\n"
    "  Ctrl+Q            end the player as the application's exit request does:\n"
    "                    open files written out, the log file flushed, status 0\n"
    "                    (closing the window does the same)\n"
    "  F11, Alt+Enter    with --window or --fullscreen: switch between the two\n"
    "  F12               with --window or --fullscreen: save a screenshot of the\n"
    "                    logical screen\n"
    "With --window or --fullscreen also:\n"
    "  Ctrl+P            pause and resume: timers, keys, pointer and device events\n"
    "                    stop reaching the application, sounds and uptime stand\n"
    "                    still, the window shows the last frame marked PAUSED\n"
    "  Ctrl+.            while paused: one step of the shortest timer period\n"
    "  F9 (held)         fast-forward at 4 times the speed\n"
    "  Ctrl+M            mute and unmute\n"
    "  Ctrl+Up, Ctrl+Down  volume up and down by 10\n"
    "  F3                the overlay: draws and timer ticks per second, speed,\n"
    "                    heap bytes, the last collection's pause, volume\n"
    "Pause mark and overlay never appear in screenshots.\n"
    "\n"
    "Settings: with --window or --fullscreen, and without --screenshot-after,\n"
    "the volume, mute, keymap and window size are remembered per application\n"
    "directory under $XDG_CONFIG_HOME/mcbplayer (~/.config/mcbplayer); the\n"
    "command line wins over them. Nothing else is remembered.\n"
    "\n"
    "The window going to the background (unmapped or minimised) sends the\n"
    "application its background event, coming back its foreground event;\n"
    "losing the keyboard focus does not.\n"
    "\n"
    "The player needs a display and the system message bus; scripts/play\n"
    "starts both when they are missing. Log lines (\"LOG: ...\") and errors go\n"
    "to standard error; mcbrun runs an image without a window.\n"
    "\n"
    "Exit status: 0 when the application asks to exit, on Ctrl+Q, when the\n"
    "window closes or a --screenshot-after file is saved; 1 when index.mcb does\n"
    "not open (\"Failed to open '<path>': <reason>\"), on a fatal machine error (one\n"
    "\"FATAL: \" line), when the screenshot file cannot be written, when bytes\n"
    "written to open files are lost at the end (a log line names them), without a\n"
    "display or without the message bus; 2 for a bad command line.\n";

// POSIX basename of `path` (which it may modify, so it works on a copy).
std::string baseName(const char* path)
{
    std::vector<char> copy(path, path + std::strlen(path) + 1);
    return basename(copy.data());
}

// "/opt/<base name of argv[0]>"; false when longer than the path buffer allows.
bool installedDirectory(const char* program, Str16& directory)
{
    const std::string base = baseName(program);
    char buffer[PATH_BUFFER_SIZE];
    const int length = std::snprintf(buffer, sizeof buffer, "/opt/%s", base.c_str());
    if (length < 0 || length > PATH_BUFFER_SIZE - 1) {
        std::fprintf(stderr, "%s: VM basename too long\n", base.c_str());
        return false;
    }
    for (int i = 0; i < length; ++i)
        directory.append(static_cast<unsigned char>(buffer[i]));
    return true;
}

// Saves the logical screen to `file` for --screenshot-after: the status to end with.
int saveFinalScreen(MainView& view, const QString& file)
{
    if (Lumbra::savePng(view.logicalScreen(), file))
        return 0;
    std::fprintf(stderr, "mcbplayer: could not write the screenshot to '%s'\n", file.toLocal8Bit().constData());
    return 1;
}

// Whether this run reads and writes remembered settings.
bool remembers(const Lumbra::PlayerOptions& options)
{
    return options.presentation != Lumbra::Presentation::Handset && options.screenshotAfterMs < 0 &&
           options.replayFile.isEmpty();
}

// The controls chosen on the command line over the remembered ones; false
// (status 2) when the keymap named on the command line has an error.
bool chooseControls(const Lumbra::PlayerOptions& options, const QString& directory, Lumbra::PlayerSettings& settings,
                    Lumbra::Keymap& keymap, const char* program)
{
    if (remembers(options)) {
        if (options.resetSettings && Lumbra::PlayerSettings::forget(directory))
            std::fprintf(stderr, "%s: the remembered settings are forgotten\n", program);
        else if (!options.resetSettings)
            settings.load(directory);
    }
    if (options.volume >= 0)
        settings.volume = options.volume;
    if (options.mute)
        settings.muted = true;
    QString problem;
    if (!options.keymapFile.isEmpty()) {
        if (!keymap.load(options.keymapFile, problem)) {
            std::fprintf(stderr, "%s: %s\n", program, problem.toLocal8Bit().constData());
            return false;
        }
        settings.keymapFile = QFileInfo(options.keymapFile).absoluteFilePath();
    } else if (!settings.keymapFile.isEmpty() && !keymap.load(settings.keymapFile, problem)) {
        // A remembered keymap that has gone or gone bad is dropped, not fatal.
        std::fprintf(stderr, "%s: the remembered keymap is left out: %s\n", program, problem.toLocal8Bit().constData());
        settings.keymapFile.clear();
    }
    return true;
}

const char* presentationName(Lumbra::Presentation presentation)
{
    switch (presentation) {
    case Lumbra::Presentation::Window: return "window";
    case Lumbra::Presentation::FullScreen: return "fullscreen";
    case Lumbra::Presentation::Handset: break;
    }
    return "handset";
}

int runView(QtClientApplication& app, const Str16& directory, const Lumbra::PlayerOptions& options,
            Lumbra::PlayerSettings& settings, const Lumbra::Keymap& keymap, RunReplayer* replayer, OpProfile* profile)
{
    MainView view(directory, options.presentation);
    RunRecorder recorder;
    if (!options.recordFile.isEmpty()) {
        QString problem;
        const QJsonObject settingsLine{{"presentation", presentationName(options.presentation)},
                                       {"speed", options.speed > 0 ? options.speed : 1.0}};
        if (!recorder.open(options.recordFile, directory.toQString(), settingsLine, problem)) {
            std::fprintf(stderr, "mcbplayer: %s\n", problem.toLocal8Bit().constData());
            return USAGE_STATUS;
        }
        view.setRecorder(&recorder);
    }
    if (replayer) {
        view.setReplayer(replayer);
        // The application's own exit request ends a replay too: it must come where the record's did.
        view.setAtEnd([replayer] {
            if (const int status = replayer->applicationEnded())
                std::exit(status);
        });
    }
    view.setScreenshotFolder(options.screenshotDir);
    view.setKeymap(keymap);
    if (options.speed > 0)
        view.setSpeed(options.speed);
    SoundOutput::setLevel(settings.volume, settings.muted);
    if (options.presentation == Lumbra::Presentation::Window && settings.windowSize.isValid())
        view.resize(settings.windowSize);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.connect(QStringLiteral("com.nokia.mce"), QStringLiteral("/com/nokia/mce/signal"),
                     QStringLiteral("com.nokia.mce.signal"), QStringLiteral("display_status_ind"), &view,
                     SLOT(displaySignal(QString)))) {
        std::fputs("FATAL: Failed to connect to dbus\n", stderr);
        return 1;
    }
    app.view = &view;
    if (options.screenshotAfterMs >= 0)
        QTimer::singleShot(options.screenshotAfterMs, &view,
                           [&] { QCoreApplication::exit(saveFinalScreen(view, options.screenshotFile)); });
    if (remembers(options)) {
        view.setAtEnd([&] {
            settings.volume = SoundOutput::volume();
            settings.muted = SoundOutput::muted();
            if (!view.isFullScreen())
                settings.windowSize = view.normalGeometry().size();
            settings.save(QDir::cleanPath(directory.toQString()));
        });
    }
    view.setVisible(true);
    view.startApplication(profile);
    if (replayer)
        replayer->start(view, options.replayFast);
    const int result = app.exec();
    Lumbra::Trace::memoryReport();
    app.view = nullptr;
    view.runAtEnd();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string program = baseName(argv[0]);
    Lumbra::PlayerOptions options;
    QString problem;
    if (!Lumbra::parsePlayerOptions(argc, argv, options, problem)) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), problem.toLocal8Bit().constData(), USAGE);
        return USAGE_STATUS;
    }
    if (options.help) {
        std::fputs(USAGE, stdout);
        std::fputs(HELP, stdout);
        return 0;
    }
    if (options.trace)
        Lumbra::Trace::enable();
    OpProfile* profile = nullptr;
    if (options.profileOps) {
        profile = Lumbra::profileUntilExit(program.c_str(), options.profileFile.toLocal8Bit().toStdString(),
                                           options.profileTop);
        if (!profile)
            return 1;
    }
    Str16 directory;
    RunReplayer replayer;
    if (!options.replayFile.isEmpty()) {
        QString copy;
        QStringList problems;
        if (!replayer.prepare(options.replayFile, copy, problems)) {
            for (const QString& line : problems)
                std::fprintf(stderr, "mcbplayer: replay: %s\n", line.toLocal8Bit().constData());
            return 1;
        }
        directory = Str16::fromQString(copy);
        if (options.presentation == Lumbra::Presentation::Handset)
            options.presentation = Lumbra::Presentation::Window;
    } else if (options.installed) {
        if (!installedDirectory(argv[0], directory))
            return 1;
    } else if (!options.applicationDirectory.isEmpty()) {
        directory = Str16::fromQString(options.applicationDirectory);
    } else {
        directory = Str16::fromQString(QDir::currentPath());
    }
    // A bad keymap ends the player before any display is opened.
    Lumbra::PlayerSettings settings;
    Lumbra::Keymap keymap;
    if (!chooseControls(options, QDir::cleanPath(directory.toQString()), settings, keymap, program.c_str()))
        return USAGE_STATUS;
    Lumbra::dropRuntimeDirWarning();
    Lumbra::guardPlatformStart(program.c_str(), "scripts/play starts a virtual display");
    // Qt sees no arguments: the command line is the player's alone.
    int qtArgc = 1;
    QtClientApplication app(qtArgc, argv);
    Lumbra::platformStarted();
    try {
        return runView(app, directory, options, settings, keymap, options.replayFile.isEmpty() ? nullptr : &replayer,
                       profile);
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::reportEscapedError();
    } catch (const std::exception& error) {
        return Lumbra::reportHostError(error);
    }
}
