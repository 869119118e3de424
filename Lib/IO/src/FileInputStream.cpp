#include "Stream.h"
#include "StdioFile.h"

namespace LUMBRA {

FileInputStream::~FileInputStream()
{
    close();
}

bool FileInputStream::open(const Str16& path, const Str16& beneath)
{
    close(); // a second open must not leak the first file
    if (!path.isEmpty()) {
        file = openStdioFile(path, StdioMode::Read, beneath);
        if (!file)
            onError();
    }
    Stream::open = file != nullptr;
    return isOpen();
}

int FileInputStream::readByte()
{
    if (!file) {
        onError();
        return -1;
    }
    const int byte = std::getc(file);
    if (byte == EOF)
        onError();
    return byte;
}

bool FileInputStream::read(char* buffer, int count)
{
    if (!file) {
        onError();
        return false;
    }
    if (count == 0)
        return true;
    if (count < 0 || !buffer) {
        onError();
        return false;
    }
    if (std::fread(buffer, 1, size_t(count), file) != size_t(count)) {
        onError();
        return false;
    }
    return true;
}

int FileInputStream::size()
{
    const int size = fitSize(file ? stdioReadOnlySize(file) : -1);
    if (size < 0) {
        onError();
        return 0;
    }
    return size;
}

int FileInputStream::position()
{
    const int here = fitSize(file ? stdioPosition(file) : -1);
    if (here < 0) {
        onError();
        return 0;
    }
    return here;
}

bool FileInputStream::seek(unsigned offset)
{
    if (!file || !stdioSeek(file, offset)) {
        onError();
        return false;
    }
    return true;
}

bool FileInputStream::atEnd()
{
    return !file || size() == position();
}

int FileInputStream::close()
{
    Stream::open = false;
    return stdioClose(file);
}

} // namespace LUMBRA
