// The host path of a device file. The environment variable
// LUMBRA_DEVICE_ROOT, when set, is put in front of every device path, so that
// a user or a test can point the extensions at files of their own.
#pragma once

#include <string>

constexpr const char* DEVICE_ROOT_VARIABLE = "LUMBRA_DEVICE_ROOT";

std::string devicePath(const char* path);
