// System values, time, the log service and its file, exit.
#include "BasicFrameworkServices.h"

#include "FileUtility.h"
#include "HostCallGuard.h"
#include "ServiceFileNames.h"

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

BasicFrameworkServices::BasicFrameworkServices(const Str16& applicationDirectory)
    : appDirectory(applicationDirectory), rootPath(FileUtility::normalisedPath(applicationDirectory))
{
    start();
    // Extensions call bytecode from device and network events, like timers.
    extensions.setCallbackGuard(
        [](const std::function<void()>& call) { Lumbra::runGuarded([&call](VirtualMachine&) { call(); }); });
}

BasicFrameworkServices::~BasicFrameworkServices() = default;

void BasicFrameworkServices::start()
{
    startMicros = wallClockMicros();
}

TInt64 BasicFrameworkServices::wallClockMicros()
{
    timeval now {};
    gettimeofday(&now, nullptr);
    return TInt64(now.tv_sec) * 1000000 + TInt64(now.tv_usec);
}

int BasicFrameworkServices::systemValueB(int)
{
    return 0;
}

int BasicFrameworkServices::systemValueA(int)
{
    return 0;
}

OString BasicFrameworkServices::pathSeparator()
{
    return OString::fromLatin1("/");
}

OString BasicFrameworkServices::platformName()
{
    return OString::fromLatin1("maemo");
}

TInt64 BasicFrameworkServices::currentTimeMillis()
{
    return wallClockMicros() / 1000;
}

TInt64 BasicFrameworkServices::uptimeMillis()
{
    return (wallClockMicros() - startMicros) / 1000;
}

void BasicFrameworkServices::log(const OString& message)
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

bool BasicFrameworkServices::setLogFile(const OString& name)
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
    return stream->open(path);
}

int BasicFrameworkServices::systemMessage(const OString&)
{
    return 0;
}

void BasicFrameworkServices::exit()
{
    flushLog();
    std::exit(0);
}

void BasicFrameworkServices::flushLog()
{
    // The log file cannot report its own failure: standard error does.
    if (logStream && logStream->isOpen() && !logStream->flush())
        std::fputs("LOG: IOException: the log file could not be written\n", stderr);
}

int BasicFrameworkServices::reserved24(int)
{
    return 0;
}

int BasicFrameworkServices::reserved25(int)
{
    return 0;
}

void BasicFrameworkServices::reserved26(int)
{
}

OString BasicFrameworkServices::applicationDirectory()
{
    return OString::fromVUvar(appDirectory);
}

int BasicFrameworkServices::reserved38(int)
{
    return 0;
}
