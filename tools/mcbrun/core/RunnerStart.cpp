// The plain runner links no GUI, sound or network library: loading them
// costs more than a short run itself. A run that may need them, because its
// code may call a graphics native or a device extension, or because the user
// names a platform, is handed over, same arguments and environment, to the
// device runner beside this executable before any of the application's code
// runs.
#include "RunnerStart.h"

#include "ExtensionIds.h"
#include "image/OpcodeTable.h"
#include "machine/VirtualMachine.h"
#include "natives/NativeTable.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Lumbra {

namespace {

const char* const DEVICE_RUNNER = "mcbrun-devices";

// The device runner's path: beside this executable as the kernel knows it,
// never found through the current directory or the environment.
std::string deviceRunnerPath()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return std::string();
    const std::string path(self, size_t(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1) + DEVICE_RUNNER;
}

[[noreturn]] void runDeviceRunner(char** argv)
{
    const std::string path = deviceRunnerPath();
    if (!path.empty())
        execv(path.c_str(), argv);
    const char* reason = path.empty() ? "this executable's directory is unknown" : std::strerror(errno);
    std::fprintf(stderr, "mcbrun: cannot start the device runner '%s': %s\n",
                 path.empty() ? DEVICE_RUNNER : path.c_str(), reason);
    std::exit(1);
}

// Whether `code` may call a device extension: any byte that, read as the
// extension instruction, names one. Bytes inside operands count too, as for
// the graphics natives; an instruction that names no extension fails the
// same way in either runner.
bool mayCallExtension(const signed char* code, int length)
{
    for (int i = 0; i + 1 < length; ++i)
        if (TUint8(code[i]) == OP_Extension && isExtensionId(code[i + 1]))
            return true;
    return false;
}

} // namespace

std::unique_ptr<QCoreApplication> startQtOnNamedPlatform(int&, char** argv)
{
    runDeviceRunner(argv);
}

std::unique_ptr<QCoreApplication> startQtForImage(const VirtualMachine& machine, int& argc, char** argv)
{
    const std::span<const signed char> code = machine.loadedCode();
    if (mayCallGraphics(code.data(), int(code.size())) || mayCallExtension(code.data(), int(code.size())))
        runDeviceRunner(argv);
    return std::make_unique<QCoreApplication>(argc, argv);
}

void watchExtensionWork(RunnerServicesBase&, std::function<void()>)
{
    // No extension here: no work of one to wait for.
}

} // namespace Lumbra
