// The one interface through which the machine, its natives and extensions
// reach the platform: files, time, the log, the screen, timers, extensions
// and process exit. Every file name is resolved against the application
// directory by the implementation, so bytecode never sees absolute paths.
// File operations never raise errors: they answer false or null.
#pragma once

#include "LumbraTypes.h"
#include "OString.h"
#include "Stream.h"
#include "Vec.h"

#include <chrono>
#include <ctime>

class MGraphicsBackend;

class FileSystemServices {
public:
    virtual ~FileSystemServices() = default;
    // overwrite 0 appends to an existing file; the caller owns the stream.
    virtual LUMBRA::OutputStream* openFileForWriting(const OString& name, int overwrite) = 0;
    virtual LUMBRA::InputStream* openFileForReading(const OString& name) = 0;
    virtual bool deleteFile(const OString& name) = 0;
    virtual bool fileExists(const OString& name) = 0;
    virtual int fileSystemReserved(int value) = 0;
    virtual bool renameFile(const OString& from, const OString& to) = 0;
    virtual bool listDirectory(const OString& name, Vec<OString>& fileNames, Vec<OString>& directoryNames) = 0;
    virtual bool makeDirectory(const OString& name) = 0;
    virtual bool deleteDirectory(const OString& name) = 0;
    virtual bool renameDirectory(const OString& from, const OString& to) = 0;
    virtual bool directoryExists(const OString& name) = 0;
};

class FrameworkServices : public FileSystemServices {
public:
    virtual int systemValueB(int value) = 0;
    virtual int systemValueA(int value) = 0;
    virtual OString pathSeparator() = 0;
    virtual OString platformName() = 0;
    virtual TInt64 currentTimeMillis() = 0;
    virtual TInt64 uptimeMillis() = 0;
    virtual void updateArea(int x, int y, int width, int height) = 0;
    virtual void log(const OString& message) = 0;
    virtual bool setLogFile(const OString& name) = 0;
    virtual int systemMessage(const OString& message) = 0;
    // Ends the process with `status`: 0, or 1 when written bytes were lost
    // on the way out.
    [[noreturn]] virtual void exit(int status) = 0;
    virtual int reserved24(int value) = 0;
    virtual int reserved25(int value) = 0;
    virtual void reserved26(int value) = 0;
    virtual void setScreenFlag(bool flag) = 0;
    virtual void setOrientation(int orientation) = 0;
    virtual int getOrientation() = 0;
    // Runs extension `extension`'s operation on the machine's stack; answers the new top index.
    virtual int callExtension(int extension, int operation, int top, TWord* stackBase) = 0;
    virtual void getScreenSize(int& width, int& height) = 0;
    virtual void encodeNotify(int phase) = 0;
    virtual void orientationListenerAdded(TWord listener) = 0;
    virtual void orientationListenerRemoved(TWord listener) = 0;
    virtual int addTimer(TWord listener, int delay) = 0;
    virtual TWord removeTimer(int id) = 0;
    virtual bool updateTimerDelay(int id, int delay) = 0;
    virtual int reserved38(int value) = 0;
    virtual OString applicationDirectory() = 0;
    // The drawing backend for bitmaps; null for a host that cannot draw.
    virtual MGraphicsBackend* graphics() { return nullptr; }
    // The first state word of the machine's random generator, taken at its
    // first use: the process clock. A host that records or replays a run
    // answers it from there.
    virtual TUint32 randomSeed() { return TUint32(std::clock()); }
    // The wall clock the calendar natives read, in milliseconds since the
    // epoch: the system's, unless a host answers it from elsewhere.
    virtual TInt64 calendarMillis()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};
