// Extension 20, the accelerometer: each operation reads the driver's
// coordinate file and answers one axis in g (the file holds thousandths).
//
// Before answering, the application's accelerometer observer method must be
// found. Without it, and when the file cannot be read or holds fewer than
// three numbers, the answer is 0.
#pragma once

#include "ExtensionCall.h"

#include <array>
#include <optional>

class Accelerometer : public VMExtension {
public:
    enum Request { EGetAccelerometerXData = 11, EGetAccelerometerYData = 12, EGetAccelerometerZData = 13 };
    static constexpr const char* COORDINATE_FILE = "/sys/class/i2c-adapter/i2c-3/3-001d/coord";
    // The file is a short line; more than this is not read.
    static constexpr int MAX_FILE_BYTES = 256;

    explicit Accelerometer(VirtualMachine& vm);
    int call(unsigned operation, int top, TWord* stack) override;

    // The three integers at the start of `text`, as "%i %i %i" reads them.
    static std::optional<std::array<long, 3>> parseCoordinates(const char* text);

private:
    // The coordinates in the driver's file, or nothing when it cannot be read.
    std::optional<std::array<long, 3>> readCoordinates() const;

    VirtualMachine& vm;
    int observerHandle = -1;
};
