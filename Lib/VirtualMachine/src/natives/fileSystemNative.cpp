// The FileSystem group (25): existence tests, deleting, creating, moving and
// listing files and directories through the host's file services, which
// check every name and root it in the application directory. Arguments sit
// above an unread receiver slot that takes the result.
#include "natives/NativeFunctions.h"
#include "natives/fileNativeCall.h"
#include "natives/vectorNative.h"

#include <memory>
#include <vector>

namespace {

// The path argument; an empty one raises InvalidArgumentException `emptyMessage`.
const OString& requiredPath(NativeCallFrame& call, int i, const char* emptyMessage)
{
    const OString& path = call.str(i);
    if (path.isEmpty())
        invalidArgument(emptyMessage);
    return path;
}

void succeedOrFail(bool hostResult)
{
    if (!hostResult)
        ioFailure();
}

bool createEmptyFile(FrameworkServices& services, const OString& path)
{
    std::unique_ptr<LUMBRA::OutputStream> stream(services.openFileForWriting(path, 1));
    return stream && stream->close() == 0;
}

// Natives 5 and 6: a new vector of new Strings, in the order the directory gives.
TWord listing(VirtualMachine& vm, const OString& path, bool directories)
{
    Vec<OString> files, subdirectories;
    succeedOrFail(fileServices(vm).listDirectory(path, files, subdirectories));
    const Vec<OString>& names = directories ? subdirectories : files;
    std::vector<TWord> boxes;
    boxes.reserve(size_t(names.size()));
    for (const OString& name : names)
        boxes.push_back(vm.newStringBox(name));
    return TWord(newObjectVectorHandle(vm, boxes.data(), int(boxes.size())));
}

} // namespace

void fileSystemNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, FileSystemFn(native)); // argument 0 is the receiver
    switch (FileSystemFn(native)) {
    case FileSystemFn::fileExists:
    case FileSystemFn::directoryExists: { // path -> bool; the empty path is false without asking the host
        call.take();
        const OString& path = call.str(1);
        FrameworkServices* services = path.isEmpty() ? nullptr : &fileServices(vm);
        const bool exists = services && (native == 1 ? services->fileExists(path) : services->directoryExists(path));
        call.leaveMachineTruth(exists);
        return;
    }
    case FileSystemFn::deleteFile:
    case FileSystemFn::deleteDirectory:
    case FileSystemFn::createFile:
    case FileSystemFn::createDirectory: { // path
        call.take();
        const OString& path = requiredPath(call, 1, "Path is empty");
        FrameworkServices& services = fileServices(vm);
        switch (native) {
        case 3:
            succeedOrFail(services.deleteFile(path));
            break;
        case 4:
            succeedOrFail(services.deleteDirectory(path));
            break;
        case 7:
            succeedOrFail(createEmptyFile(services, path));
            break;
        default:
            succeedOrFail(services.makeDirectory(path));
            break;
        }
        call.leaveNothing();
        return;
    }
    case FileSystemFn::directories:
    case FileSystemFn::files: // path -> vector of String
        call.take();
        call.leave(listing(vm, call.str(1), native == 5));
        return;
    case FileSystemFn::moveFile: { // source, target
        call.take();
        const OString& source = requiredPath(call, 1, "Source filename is empty");
        const OString& target = requiredPath(call, 2, "Target filename is empty");
        succeedOrFail(fileServices(vm).renameFile(source, target));
        call.leaveNothing();
        return;
    }
    case FileSystemFn::renameDirectory: { // source, target
        call.take();
        const OString& source = requiredPath(call, 1, "Source path is empty");
        const OString& target = requiredPath(call, 2, "Target path is empty");
        succeedOrFail(fileServices(vm).renameDirectory(source, target));
        call.leaveNothing();
        return;
    }
    }
}
