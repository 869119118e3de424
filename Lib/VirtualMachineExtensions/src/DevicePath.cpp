#include "DevicePath.h"

#include <cstdlib>

std::string devicePath(const char* path)
{
    const char* root = std::getenv(DEVICE_ROOT_VARIABLE);
    return std::string(root ? root : "") + path;
}
