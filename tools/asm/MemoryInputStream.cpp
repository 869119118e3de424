#include "MemoryInputStream.h"

#include <cstring>

namespace LumbraAsm {

MemoryInputStream::MemoryInputStream(std::vector<unsigned char> bytes)
    : data(std::move(bytes))
{
    open = true;
}

int MemoryInputStream::readByte()
{
    if (!open || offset >= data.size()) {
        onError();
        return -1;
    }
    return data[offset++];
}

bool MemoryInputStream::read(char* buffer, int count)
{
    if (!open || count < 0 || size_t(count) > data.size() - offset) {
        onError();
        return false;
    }
    if (count > 0)
        std::memcpy(buffer, data.data() + offset, size_t(count));
    offset += size_t(count);
    return true;
}

int MemoryInputStream::size() { return int(data.size()); }
int MemoryInputStream::position() { return int(offset); }

bool MemoryInputStream::seek(unsigned target)
{
    if (target > data.size())
        return false;
    offset = target;
    return true;
}

bool MemoryInputStream::atEnd() { return offset >= data.size(); }

int MemoryInputStream::close()
{
    open = false;
    return 0;
}

} // namespace LumbraAsm
