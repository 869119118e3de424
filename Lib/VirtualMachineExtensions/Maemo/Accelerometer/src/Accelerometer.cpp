#include "Accelerometer.h"

#include "ExtensionIds.h"
#include "values/OFixed.h"

#include <cstdlib>

Accelerometer::Accelerometer(VirtualMachine& vm) : vm(vm)
{
}

std::optional<std::array<long, 3>> Accelerometer::readCoordinates() const
{
    char text[MAX_FILE_BYTES + 1];
    if (!readDevice(COORDINATE_FILE, text, MAX_FILE_BYTES))
        return std::nullopt;
    return parseCoordinates(text);
}

std::optional<std::array<long, 3>> Accelerometer::parseCoordinates(const char* text)
{
    std::array<long, 3> numbers{};
    for (long& number : numbers) {
        char* end = nullptr;
        number = std::strtol(text, &end, 0); // the integers of "%i": decimal, 0x hexadecimal, 0 octal
        if (end == text)
            return std::nullopt;
        text = end;
    }
    return numbers;
}

int Accelerometer::call(unsigned operation, int top, TWord* stack)
{
    if (observerHandle == -1)
        observerHandle =
            vm.getMethodHandle(VUvarString("<accelerometerobserver>.handle accelerometer event<fixed><fixed><fixed>"), -1);
    const ExtensionCall call =
        ExtensionCall::declared(vm, ACCELEROMETER_ID, operation, top, stack, "SensorDLL: Unknown opcode!");
    OFixed value;
    if (observerHandle != -1) {
        if (const auto numbers = readCoordinates()) {
            const long picked = operation == EGetAccelerometerXData   ? (*numbers)[1]
                                : operation == EGetAccelerometerYData ? (*numbers)[0]
                                                                      : (*numbers)[2];
            value = OFixed::fromReal(double(float(picked) / 1000.0f));
        }
    }
    return call.leaveFixed(value);
}
