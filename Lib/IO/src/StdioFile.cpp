#include "StdioFile.h"

#include <QFile>

#include <climits>

namespace LUMBRA {

std::string stdioPathBytes(const Str16& path)
{
    return QFile::encodeName(path.toQString()).toStdString();
}

FILE* openStdioFile(const Str16& path, const char* mode)
{
    const std::string bytes = stdioPathBytes(path);
    // A unit of 0 would silently cut the path short: refuse it instead.
    if (bytes.find('\0') != std::string::npos)
        return nullptr;
    return std::fopen(bytes.c_str(), mode);
}

long stdioFileSize(FILE* file)
{
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0 || end < 0 || end > INT_MAX)
        return -1;
    return end;
}

long stdioPosition(FILE* file)
{
    const long here = std::ftell(file);
    return here > INT_MAX ? -1 : here;
}

bool stdioSeek(FILE* file, unsigned offset)
{
    const long size = stdioFileSize(file);
    if (size < 0 || offset > static_cast<unsigned long>(size))
        return false;
    return std::fseek(file, long(offset), SEEK_SET) == 0;
}

int stdioClose(FILE*& file)
{
    if (!file)
        return 0;
    const int result = std::fclose(file);
    file = nullptr;
    return result;
}

} // namespace LUMBRA
