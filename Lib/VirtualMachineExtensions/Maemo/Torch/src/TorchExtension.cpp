#include "TorchExtension.h"

#include "DevicePath.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The extended-control requests encode the size of their argument, which
// differs between 32- and 64-bit programs: on the 32-bit handset these are
// 0xc0185647 and 0xc0185648.
static_assert(sizeof(void*) != 4 || VIDIOC_G_EXT_CTRLS == 0xc0185647u);
static_assert(sizeof(void*) != 4 || VIDIOC_S_EXT_CTRLS == 0xc0185648u);

TorchExtension::ControlRequest& controlRequest()
{
    static TorchExtension::ControlRequest request;
    return request;
}

std::string systemError(int error)
{
    return std::strerror(error);
}

} // namespace

void TorchExtension::setControlRequest(ControlRequest request)
{
    controlRequest() = std::move(request);
}

unsigned long TorchExtension::getRequestCode()
{
    return VIDIOC_G_EXT_CTRLS;
}

unsigned long TorchExtension::setRequestCode()
{
    return VIDIOC_S_EXT_CTRLS;
}

TorchExtension::TorchExtension(VirtualMachine& vm) : vm(vm)
{
}

int TorchExtension::device()
{
    if (fd >= 0)
        return fd;
    const std::string path = devicePath(VIDEO_DEVICE);
    fd = openDeviceFile(path, S_IFCHR);
    if (fd < 0)
        deviceFailure(vm, "Torch: Failed to open video device: " + path + ": " + systemError(errno));
    return fd;
}

bool TorchExtension::request(unsigned long code, int& value, int& error)
{
    v4l2_ext_control control{};
    control.id = CONTROL_ID;
    control.value = value;
    v4l2_ext_controls controls{};
    controls.ctrl_class = CONTROL_CLASS;
    controls.count = 1;
    controls.controls = &control;
    const int descriptor = device();
    const ControlRequest& replaced = controlRequest();
    errno = 0;
    if ((replaced ? replaced(descriptor, code, &controls) : ::ioctl(descriptor, code, &controls)) < 0) {
        error = errno;
        return false;
    }
    value = control.value;
    return true;
}

void TorchExtension::setTorch(bool on)
{
    int value = on ? 1 : 0, error = 0;
    if (!request(setRequestCode(), value, error))
        deviceFailure(vm, std::string("Torch: Failed to set torch state to ") + (on ? "ON" : "OFF") + ": " +
                              systemError(error));
}

bool TorchExtension::torchLit()
{
    int value = 0, error = 0;
    if (!request(getRequestCode(), value, error))
        deviceFailure(vm, "Torch: Failed to fetch torch state: " + systemError(error));
    return value != 0;
}

bool TorchExtension::coverOpen()
{
    const std::string path = devicePath(COVER_FILE);
    char text[COVER_BYTES + 1];
    if (!readDeviceFile(path, text, COVER_BYTES))
        deviceFailure(vm, "Torch: Failed to fetch camera cover state from: " + path + ": " + systemError(errno));
    return std::strcmp(text, "open\n") == 0;
}

int TorchExtension::call(unsigned operation, int top, TWord* stack)
{
    if (operation < 1 || operation > 4)
        unknownOperation(vm, "Torch: Unknown opcode!");
    // No operation takes an argument; a result goes just above the top.
    const ExtensionCall call(vm, top, stack, 0);
    switch (operation) {
    case 1:
    case 2:
        setTorch(operation == 1);
        return call.leaveNothing();
    case 3:
        return call.leave({torchLit() ? 1 : 0});
    default:
        return call.leave({coverOpen() ? 1 : 0});
    }
}
