// The host services that need nothing beyond Qt's core: files under the
// application directory, time, the log and its file, timers, exit. The
// display and orientation slots answer simple defaults here; a window host
// replaces them. There is no graphics device and no device extension (see
// BasicFrameworkServices for both), so a runner built on this class alone
// loads no GUI, sound or network library.
#pragma once

#include "host/ReadJournal.h"
#include "Scheduler.h"
#include "VUvarString.h"
#include "host/FrameworkServices.h"

#include <memory>

class CoreFrameworkServices : public FrameworkServices {
public:
    explicit CoreFrameworkServices(const Str16& applicationDirectory);
    ~CoreFrameworkServices() override;
    CoreFrameworkServices(const CoreFrameworkServices&) = delete;
    CoreFrameworkServices& operator=(const CoreFrameworkServices&) = delete;

    // Restarts the uptime count (the host calls it when the application starts).
    void start();
    // The host path a valid name resolves to, exactly as the file slots use
    // it when it stays inside the application directory.
    Str16 resolvedPath(const OString& name) const;
    const Str16& applicationDirectoryPath() const { return appDirectory; }
    // The machine the timers deliver to.
    void setTimerMachine(VirtualMachine* machine) { scheduler.setMachine(machine); }
    const Scheduler& timers() const { return scheduler; }
    Scheduler& timers() { return scheduler; }
    // Whether anything can still call the application without outside input:
    // here, a running timer.
    virtual bool hasPendingWork() const;

    // Every outside read goes through `journal` (not owned) while it is set.
    void setReadJournal(ReadJournal* journal) { readJournal = journal; }
    TUint32 randomSeed() override;
    TInt64 calendarMillis() override;

    // Wall-clock microseconds since the epoch.
    static TInt64 wallClockMicros();

    // ---- files (CoreFileServices.cpp)
    LUMBRA::OutputStream* openFileForWriting(const OString& name, int overwrite) override;
    LUMBRA::InputStream* openFileForReading(const OString& name) override;
    bool deleteFile(const OString& name) override;
    bool fileExists(const OString& name) override;
    int fileSystemReserved(int value) override;
    bool renameFile(const OString& from, const OString& to) override;
    bool listDirectory(const OString& name, Vec<OString>& fileNames, Vec<OString>& directoryNames) override;
    bool makeDirectory(const OString& name) override;
    bool deleteDirectory(const OString& name) override;
    bool renameDirectory(const OString& from, const OString& to) override;
    bool directoryExists(const OString& name) override;

    // ---- system, time, log (CoreFrameworkServices.cpp)
    int systemValueB(int value) override;
    int systemValueA(int value) override;
    OString pathSeparator() override;
    OString platformName() override;
    TInt64 currentTimeMillis() override;
    TInt64 uptimeMillis() override;
    void log(const OString& message) override;
    bool setLogFile(const OString& name) override;
    int systemMessage(const OString& message) override;
    // Ends the process with `status` at once, after writing out the log
    // file (1 when that fails); tests override it.
    [[noreturn]] void exit(int status) override;
    // Hands the log file's buffered lines to the disk; a failure is reported
    // on standard error and answered false.
    bool flushLog();
    int reserved24(int value) override;
    int reserved25(int value) override;
    void reserved26(int value) override;
    OString applicationDirectory() override;
    int reserved38(int value) override;

    // ---- display, orientation, extensions: defaults (CoreDisplayServices.cpp)
    void updateArea(int x, int y, int width, int height) override;
    void setScreenFlag(bool flag) override;
    void setOrientation(int orientation) override;
    int getOrientation() override;
    // No extension here: every id is unknown (VMException "Dll not supported").
    int callExtension(int extension, int operation, int top, TWord* stackBase) override;
    void getScreenSize(int& width, int& height) override;
    void encodeNotify(int phase) override;
    void orientationListenerAdded(TWord listener) override;
    void orientationListenerRemoved(TWord listener) override;

    // ---- timers (CoreTimerServices.cpp)
    int addTimer(TWord listener, int delay) override;
    TWord removeTimer(int id) override;
    bool updateTimerDelay(int id, int delay) override;

    // Screen size in the two orientations.
    static constexpr int SCREEN_SHORT_SIDE = 480;
    static constexpr int SCREEN_LONG_SIDE = 800;
    static constexpr int ORIENTATION_LANDSCAPE = 2;

private:
    // The resolved path of `name`, or false for an invalid name or one that
    // leaves the application directory.
    bool resolveValid(const OString& name, Str16& path) const;
    // The same, also false for the application directory itself.
    bool resolveEntry(const OString& name, Str16& path) const;
    // A number the application reads, through the journal when one is set.
    TInt64 journaledNumber(const char* kind, TInt64 live);
    bool listLive(const OString& name, Vec<OString>& fileNames, Vec<OString>& directoryNames);
    bool journaledAnswer(const char* kind, const OString& name, const std::function<bool()>& live);

    Str16 appDirectory;
    Str16 rootPath; // appDirectory normalised: what resolved paths are compared with
    int orientation = ORIENTATION_LANDSCAPE;
    std::shared_ptr<LUMBRA::OutputStream> logStream;
    Scheduler scheduler;
    ReadJournal* readJournal = nullptr;
};
