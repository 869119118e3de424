// System values, time, the log service and its file, exit.
#include "CoreFrameworkServices.h"

#include "FileUtility.h"
#include "ServiceFileNames.h"

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

CoreFrameworkServices::CoreFrameworkServices(const Str16& applicationDirectory)
    : appDirectory(applicationDirectory), rootPath(FileUtility::normalisedPath(applicationDirectory))
{
    start();
}

CoreFrameworkServices::~CoreFrameworkServices() = default;

void CoreFrameworkServices::start()
{
    scheduler.clock().restart();
}

TInt64 CoreFrameworkServices::wallClockMicros()
{
    timeval now {};
    gettimeofday(&now, nullptr);
    return TInt64(now.tv_sec) * 1000000 + TInt64(now.tv_usec);
}

int CoreFrameworkServices::systemValueB(int)
{
    return 0;
}

int CoreFrameworkServices::systemValueA(int)
{
    return 0;
}

OString CoreFrameworkServices::pathSeparator()
{
    return OString::fromLatin1("/");
}

OString CoreFrameworkServices::platformName()
{
    return OString::fromLatin1("maemo");
}

TInt64 CoreFrameworkServices::journaledNumber(const char* kind, TInt64 live)
{
    if (!readJournal)
        return live;
    return readJournal->read(kind, QString(), [live] { return QJsonValue(qint64(live)); }).toInteger(live);
}

bool CoreFrameworkServices::journaledAnswer(const char* kind, const OString& name, const std::function<bool()>& live)
{
    if (!readJournal)
        return live();
    return readJournal->read(kind, QString::fromStdU16String(name.toU16()), [&] { return QJsonValue(live()); }).toBool();
}

TInt64 CoreFrameworkServices::currentTimeMillis()
{
    return journaledNumber("wallClock", wallClockMicros() / 1000);
}

TInt64 CoreFrameworkServices::uptimeMillis()
{
    // The player's time: it stands still while paused and follows the speed.
    return journaledNumber("uptime", scheduler.clock().millis());
}

TInt64 CoreFrameworkServices::calendarMillis()
{
    return journaledNumber("calendar", wallClockMicros() / 1000);
}

TUint32 CoreFrameworkServices::randomSeed()
{
    return TUint32(journaledNumber("randomSeed", TInt64(FrameworkServices::randomSeed())));
}

void CoreFrameworkServices::log(const OString& message)
{
    // Standard error gets one byte per unit: the low byte.
    std::string line = "LOG: ";
    for (int i = 0; i < message.length(); ++i)
        line.push_back(char(message.charAt(i) & 0xFF));
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);

    if (!logStream || message.isEmpty())
        return;
    // Each unit encoded on its own, as strings become bytes everywhere.
    const std::string utf8 = Lumbra::u16ToUtf8(message.toU16());
    logStream->write("LOG: ", 5);
    logStream->write(utf8.data(), int(utf8.size()));
    logStream->writeByte(10);
}

bool CoreFrameworkServices::setLogFile(const OString& name)
{
    if (name.isEmpty()) {
        logStream.reset();
        return true;
    }
    Str16 path;
    if (!resolveValid(name, path))
        return false;
    // Installed before opening: a stream that fails to open stays and takes nothing.
    auto stream = std::make_shared<LUMBRA::FileOutputStream>();
    logStream = stream;
    return stream->open(path, appDirectory);
}

int CoreFrameworkServices::systemMessage(const OString&)
{
    return 0;
}

void CoreFrameworkServices::exit(int status)
{
    const bool logWritten = flushLog();
    std::exit(logWritten ? status : 1);
}

bool CoreFrameworkServices::flushLog()
{
    // The log file cannot report its own failure: standard error does.
    if (logStream && logStream->isOpen() && !logStream->flush()) {
        std::fputs("LOG: IOException: the log file could not be written\n", stderr);
        return false;
    }
    return true;
}

int CoreFrameworkServices::reserved24(int)
{
    return 0;
}

int CoreFrameworkServices::reserved25(int)
{
    return 0;
}

void CoreFrameworkServices::reserved26(int)
{
}

OString CoreFrameworkServices::applicationDirectory()
{
    return OString::fromVUvar(appDirectory);
}

int CoreFrameworkServices::reserved38(int)
{
    return 0;
}
