// Shared buffers of OString: allocation in the arena, attach and detach, and
// the single splice primitive that every edit goes through.
#include "OString.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {
// Keeps (capacity + 1) * 2 bytes well inside a 32-bit arena size.
constexpr TInt64 MAX_LENGTH = 0x30000000;
} // namespace

int StringData::fitLength(TInt64 length)
{
    if (length < 0 || length > MAX_LENGTH)
        throw std::bad_alloc();
    return int(length);
}

int StringData::capacityFor(int length)
{
    const int grown = int(double(length) * 1.2);
    return grown < 10 ? 10 : grown;
}

StringData* StringData::create(int length)
{
    Lumbra::Arena* arena = Lumbra::Arena::current();
    LUMBRA_ASSERT(arena != nullptr);
    auto data = std::make_unique<StringData>();
    data->capacity = capacityFor(fitLength(length));
    data->length = length;
    data->arena = arena;
    data->chars = arena->allocate(TUint32(data->capacity + 1) * 2);
    data->units()[length] = 0;
    return data.release();
}

void StringData::destroy(StringData* data)
{
    data->arena->release(data->chars, TUint32(data->capacity + 1) * 2);
    delete data;
}

bool StringData::growInPlace(int length)
{
    const int grown = capacityFor(length);
    if (!arena->grow(chars, TUint32(capacity + 1) * 2, TUint32(grown + 1) * 2))
        return false;
    capacity = grown;
    return true;
}

OString::OString(const OString& other)
{
    if (other.d)
        attach(other.d);
}

OString::OString(OString&& other) noexcept : d(other.d)
{
    other.d = nullptr;
}

OString& OString::operator=(const OString& other)
{
    if (d != other.d) {
        StringData* shared = other.d;
        if (shared)
            ++shared->refCount;
        detach();
        d = shared;
    }
    return *this;
}

OString& OString::operator=(OString&& other) noexcept
{
    if (this != &other) {
        detach();
        d = other.d;
        other.d = nullptr;
    }
    return *this;
}

OString::~OString()
{
    detach();
}

void OString::attach(StringData* data)
{
    d = data;
    ++data->refCount;
}

void OString::detach()
{
    if (d && --d->refCount == 0)
        StringData::destroy(d);
    d = nullptr;
}

void OString::adopt(StringData* data)
{
    detach();
    attach(data);
}

char16_t* OString::resetTo(int length)
{
    LUMBRA_ASSERT(length > 0);
    adopt(StringData::create(length));
    return d->units();
}

void OString::splice(int position, int removed, const char16_t* units, int count, bool removing)
{
    const int oldLength = length();
    const int newLength = StringData::fitLength(TInt64(oldLength) - removed + count);
    const int tailLength = oldLength - position - removed;
    if (newLength == 0) {
        detach();
        return;
    }
    // A buffer of its own that must grow stays where it is when the arena has
    // the room after it: nothing to copy, its pages stay.
    const bool inPlace = d && d->refCount == 1 &&
                         (removing ? int(float(d->capacity) * 0.5f) < newLength
                                   : newLength <= d->capacity || d->growInPlace(newLength));
    if (inPlace) {
        char16_t* buffer = d->units();
        std::u16string ownCopy; // the inserted units may come from this very buffer
        if (count > 0 && units >= buffer && units <= buffer + d->capacity) {
            ownCopy.assign(units, size_t(count));
            units = ownCopy.data();
        }
        if (tailLength > 0)
            std::memmove(buffer + position + count, buffer + position + removed, size_t(tailLength) * 2);
        if (count > 0)
            std::memcpy(buffer + position, units, size_t(count) * 2);
        d->length = newLength;
        buffer[newLength] = 0;
        return;
    }
    StringData* fresh = StringData::create(newLength);
    char16_t* out = fresh->units();
    const char16_t* old = constData();
    if (position > 0)
        std::memcpy(out, old, size_t(position) * 2);
    if (count > 0)
        std::memcpy(out + position, units, size_t(count) * 2);
    if (tailLength > 0)
        std::memcpy(out + position + count, old + position + removed, size_t(tailLength) * 2);
    adopt(fresh);
}
