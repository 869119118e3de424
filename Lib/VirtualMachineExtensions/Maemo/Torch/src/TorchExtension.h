// Extension 36: the camera torch, driven through the camera device's
// extended-control requests, and the camera lens cover read from its switch
// file. The device is opened read-only by the first operation that needs it
// and stays open. Every device failure ends the running bytecode with a
// message that names the path opened and the system's error.
//
// The control requests go through controlRequest(), which tests replace.
#pragma once

#include "ExtensionCall.h"

#include <functional>

struct v4l2_ext_controls;

class TorchExtension : public VMExtension {
public:
    static constexpr const char* VIDEO_DEVICE = "/dev/video0";
    static constexpr const char* COVER_FILE = "/sys/devices/platform/gpio-switch/cam_shutter/state";
    static constexpr TUint32 CONTROL_CLASS = 0x9a0000;
    static constexpr TUint32 CONTROL_ID = 0x9a0910;
    // The cover file is read up to this many bytes.
    static constexpr int COVER_BYTES = 19;

    // Issues `request` with `controls` on `fd`; answers -1 with errno set on failure.
    using ControlRequest = std::function<int(int fd, unsigned long request, v4l2_ext_controls* controls)>;
    // The request function of every torch (the device's own when `request` is empty).
    static void setControlRequest(ControlRequest request);
    static unsigned long getRequestCode();
    static unsigned long setRequestCode();

    explicit TorchExtension(VirtualMachine& vm);
    int call(unsigned operation, int top, TWord* stack) override;

private:
    // The camera device, opened on first use; -1 with errno set when it cannot be.
    int device();
    void setTorch(bool on);
    bool torchLit();
    bool coverOpen();
    // One control request on the device with `value`; the control's value
    // comes back in it, or the system's error in `error` (then false).
    bool request(unsigned long code, int& value, int& error);

    VirtualMachine& vm;
    int fd = -1;
};
