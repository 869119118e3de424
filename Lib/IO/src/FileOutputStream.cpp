#include "FileUtility.h"
#include "Stream.h"
#include "StdioFile.h"

namespace LUMBRA {

FileOutputStream::~FileOutputStream()
{
    close();
}

bool FileOutputStream::open(const Str16& path)
{
    close(); // a second open must not leak the first file
    if (FileUtility::isRelative(path))
        return false;
    const Str16 directory = FileUtility::parentPath(path);
    if (!FileUtility::directoryExists(directory) && !FileUtility::makePath(directory))
        return false;
    file = openStdioFile(path, "wb");
    Stream::open = file != nullptr;
    return isOpen();
}

bool FileOutputStream::writeByte(int byte)
{
    if (!file)
        return false;
    std::putc(byte, file);
    return !std::ferror(file);
}

bool FileOutputStream::write(const void* data, int count)
{
    if (!file || count < 0 || (count > 0 && !data))
        return false;
    if (count == 0)
        return true; // fwrite must not see a null buffer, even for no bytes
    return std::fwrite(data, 1, size_t(count), file) == size_t(count);
}

int FileOutputStream::size()
{
    const long size = file ? stdioFileSize(file) : -1;
    return size < 0 ? 0 : int(size);
}

int FileOutputStream::position()
{
    const long here = file ? stdioPosition(file) : -1;
    return here < 0 ? 0 : int(here);
}

bool FileOutputStream::seek(unsigned offset)
{
    return file && stdioSeek(file, offset);
}

int FileOutputStream::close()
{
    Stream::open = false;
    return stdioClose(file);
}

} // namespace LUMBRA
