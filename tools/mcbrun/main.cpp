// mcbrun [--budget N] IMAGE: loads an image and runs its `main` without a
// window. The image's directory is the application directory; log lines go
// to standard error.
#include "BasicFrameworkServices.h"
#include "StartupReports.h"
#include "VirtualMachine.h"

#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Options {
    std::string image;
    long long budget = -1;
};

bool parseBudget(const char* text, long long& budget)
{
    char* end = nullptr;
    budget = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && budget >= 0;
}

bool parseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget") {
            if (i + 1 >= argc || !parseBudget(argv[++i], options.budget))
                return false;
        } else if (options.image.empty()) {
            options.image = arg;
        } else {
            return false;
        }
    }
    return !options.image.empty();
}

int run(const Options& options)
{
    const QFileInfo image(QString::fromLocal8Bit(options.image.c_str()));
    VirtualMachine machine;
    VirtualMachine::setCurrent(&machine);
    if (options.budget >= 0)
        machine.setInstructionBudget(options.budget);

    BasicFrameworkServices services(Str16::fromQString(image.absolutePath()));
    const Str16 imageName = Str16::fromQString(image.fileName());
    const OString name = OString::fromVUvar(imageName);
    LUMBRA::InputStream* stream = services.openFileForReading(name);
    if (!stream)
        return Lumbra::reportOpenFailure(services.resolvedPath(name));
    VUvarFileReader reader(stream);
    try {
        services.start();
        machine.load(reader, imageName, &services);
        return 0;
    } catch (const MachineStop& stop) {
        return Lumbra::reportMachineStop(stop);
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::reportEscapedError();
    }
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: mcbrun [--budget N] IMAGE\n");
        return 2;
    }
    return run(options);
}
