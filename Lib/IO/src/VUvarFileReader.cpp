#include "VUvarFileReader.h"

#include <climits>
#include <new>

VUvarFileReader::VUvarFileReader(LUMBRA::InputStream* adopted)
    : stream(adopted)
{
}

VUvarFileReader::VUvarFileReader(const Str16& path)
    : fileName(path)
{
    auto* file = new LUMBRA::FileInputStream();
    file->open(path); // the reader exists even when opening failed
    stream = file;
}

VUvarFileReader::~VUvarFileReader()
{
    close();
}

int VUvarFileReader::position()
{
    return stream ? stream->position() : 0;
}

int VUvarFileReader::streamSize()
{
    return stream ? stream->size() : 0;
}

bool VUvarFileReader::readByte(TUint8& out)
{
    if (!stream)
        return false;
    const int byte = stream->readByte();
    if (byte < 0)
        return false;
    out = TUint8(byte);
    return true;
}

bool VUvarFileReader::read(void* buffer, int count)
{
    return stream && stream->read(static_cast<char*>(buffer), count);
}

bool VUvarFileReader::read(Vec<unsigned char>& target, int count)
{
    return readInto(target, count);
}

bool VUvarFileReader::read(Vec<signed char>& target, int count)
{
    return readInto(target, count);
}

template <class Byte>
bool VUvarFileReader::readInto(Vec<Byte>& target, int count)
{
    if (!stream || !stream->isOpen())
        return false;
    if (count == 0)
        return true;
    const int oldCount = target.count();
    if (count < 0 || count > INT_MAX - oldCount)
        return false;
    try {
        target.setSize(oldCount + count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (stream->read(reinterpret_cast<char*>(target.data() + oldCount), count))
        return true;
    target.setSize(oldCount);
    return false;
}

bool VUvarFileReader::readString(Str16& out, int count)
{
    if (!stream || count < 0)
        return false;
    Vec<char> bytes;
    try {
        bytes.setSize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!stream->read(bytes.data(), count))
        return false;
    out = Str16(bytes.data(), count);
    return true;
}

void VUvarFileReader::close()
{
    delete stream;
    stream = nullptr;
}
