#include "BeneathDirectory.h"
#include "FileUtility.h"
#include "Stream.h"
#include "StdioFile.h"

#include <cerrno>

namespace LUMBRA {

FileOutputStream::~FileOutputStream()
{
    close();
}

bool FileOutputStream::prepareDirectory(const Str16& path, const Str16& beneath)
{
    if (FileUtility::isRelative(path))
        return false;
    const Str16 directory = FileUtility::parentPath(path);
    if (!beneath.isEmpty())
        return BeneathDirectory(beneath, directory).makeDirectories();
    return FileUtility::directoryExists(directory) || FileUtility::makePath(directory);
}

bool FileOutputStream::open(const Str16& path, const Str16& beneath)
{
    close(); // a second open must not leak the first file
    if (!prepareDirectory(path, beneath))
        return false;
    file = openStdioFile(path, StdioMode::Truncate, beneath);
    Stream::open = file != nullptr;
    return isOpen();
}

bool FileOutputStream::openForAppend(const Str16& path, const Str16& beneath)
{
    close();
    if (!prepareDirectory(path, beneath))
        return false;
    file = openStdioFile(path, StdioMode::Update, beneath);
    // Only a missing file is created; any other refusal keeps the file untouched.
    if (!file && errno == ENOENT)
        file = openStdioFile(path, StdioMode::Truncate, beneath);
    if (file && std::fseek(file, 0, SEEK_END) != 0)
        stdioClose(file);
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
    const int size = fitSize(file ? stdioFileSize(file) : -1);
    return size < 0 ? 0 : size;
}

int FileOutputStream::position()
{
    const int here = fitSize(file ? stdioPosition(file) : -1);
    return here < 0 ? 0 : here;
}

bool FileOutputStream::seek(unsigned offset)
{
    return file && stdioSeek(file, offset);
}

bool FileOutputStream::flush()
{
    return file && stdioFlush(file);
}

int FileOutputStream::close()
{
    Stream::open = false;
    return stdioClose(file);
}

} // namespace LUMBRA
