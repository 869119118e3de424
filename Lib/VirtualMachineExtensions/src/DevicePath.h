// The host path of a device file. The environment variable
// LUMBRA_DEVICE_ROOT, when set, is put in front of every device path, so that
// a user or a test can point the extensions at files of their own.
#pragma once

#include <cstddef>
#include <string>

constexpr const char* DEVICE_ROOT_VARIABLE = "LUMBRA_DEVICE_ROOT";

std::string devicePath(const char* path);

// Opens the device file at `path` for reading without ever waiting (a FIFO
// with no writer, a slow device), and keeps it only when it is of `kind`
// (S_IFREG or S_IFCHR): a file of another kind answers -1 with errno at
// EINVAL, like a file that cannot be read.
int openDeviceFile(const std::string& path, unsigned kind);

// Up to `capacity` bytes of the regular device file at `path`, terminated
// with a 0; false with errno set when it cannot be opened or read.
bool readDeviceFile(const std::string& path, char* text, size_t capacity);
