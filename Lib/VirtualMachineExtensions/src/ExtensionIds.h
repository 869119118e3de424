// The ids by which bytecode names the device extensions; every other id is
// refused before anything is created.
#pragma once

enum ExtensionId {
    ACCELEROMETER_ID = 20,
    LOCATION_ID = 27,
    AUDIO_ID = 28,
    TORCH_ID = 36,
    SHELL_ID = 37,
};

constexpr bool isExtensionId(int id)
{
    return id == ACCELEROMETER_ID || id == LOCATION_ID || id == AUDIO_ID || id == TORCH_ID || id == SHELL_ID;
}
