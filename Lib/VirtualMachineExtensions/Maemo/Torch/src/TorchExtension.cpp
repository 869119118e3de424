#include "TorchExtension.h"

#include "DevicePath.h"
#include "ExtensionIds.h"

#include <QJsonObject>

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
    if (fd < 0)
        fd = openDeviceFile(devicePath(VIDEO_DEVICE), S_IFCHR);
    return fd;
}

bool TorchExtension::request(unsigned long code, int& value, int& error)
{
    // The journal keeps each request's outcome: {"open": errno} when the
    // device could not be opened, else the control's value and the error.
    const bool setting = code == setRequestCode();
    const std::string name = setting ? "set " + std::to_string(value) : std::string("get");
    const QJsonObject outcome = journaled("deviceControl", name.c_str(), [&]() -> QJsonValue {
        const int descriptor = device();
        if (descriptor < 0)
            return QJsonObject{{"open", errno}};
        v4l2_ext_control control{};
        control.id = CONTROL_ID;
        control.value = value;
        v4l2_ext_controls controls{};
        controls.ctrl_class = CONTROL_CLASS;
        controls.count = 1;
        controls.controls = &control;
        const ControlRequest& replaced = controlRequest();
        errno = 0;
        if ((replaced ? replaced(descriptor, code, &controls) : ::ioctl(descriptor, code, &controls)) < 0)
            return QJsonObject{{"error", errno}};
        return QJsonObject{{"value", int(control.value)}};
    }).toObject();
    if (outcome.contains("open"))
        deviceFailure(vm, "Torch: Failed to open video device: " + devicePath(VIDEO_DEVICE) + ": " +
                              systemError(outcome.value("open").toInt()));
    if (outcome.contains("error")) {
        error = outcome.value("error").toInt();
        return false;
    }
    value = outcome.value("value").toInt();
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
    char text[COVER_BYTES + 1];
    if (!readDevice(COVER_FILE, text, COVER_BYTES))
        deviceFailure(vm, "Torch: Failed to fetch camera cover state from: " + devicePath(COVER_FILE) + ": " +
                              systemError(errno));
    return std::strcmp(text, "open\n") == 0;
}

int TorchExtension::call(unsigned operation, int top, TWord* stack)
{
    // No operation takes an argument; a result goes just above the top.
    const ExtensionCall call = ExtensionCall::declared(vm, TORCH_ID, operation, top, stack, "Torch: Unknown opcode!");
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
