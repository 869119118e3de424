#include "OVector.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

OVectorBase::OVectorBase(int elementBytes)
    : elementBytes(elementBytes), memory(ManagedMemory::current())
{
    if (!memory)
        Lumbra::throwError(Lumbra::EVM, std::string_view("no managed heap on this thread"));
}

void OVectorBase::badIndex()
{
    Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
}

void OVectorBase::dropStorage()
{
    data = 0;
    capacity = 0;
    count = 0;
}

TUint8* OVectorBase::bytesAt(int index, int n) const
{
    // Storage a vector did not get from the heap as storage (released and
    // reused, say) may belong to something else now: never write through it.
    if (data != 0 && !memory->isStorage(data))
        Lumbra::throwError(Lumbra::EVM, std::string_view("vector storage is not its own"));
    return memory->arena().resolve(data + TAddr(index) * TAddr(elementBytes),
                                   TUint32(n) * TUint32(elementBytes));
}

TAddr OVectorBase::newStorage(int elements)
{
    const TInt64 bytes = TInt64(elements) * elementBytes;
    if (bytes > 0x7FFF0000)
        throw std::bad_alloc();
    return memory->allocateStorage(TUint32(bytes));
}

TUint8* OVectorBase::appendClearedBytes(int n)
{
    if (n <= 0)
        return nullptr;
    if (TInt64(count) + n > 0x7FFFFFFF / 2)
        throw std::bad_alloc();
    const size_t elementLength = size_t(elementBytes);
    if (count + n > capacity) {
        const TUint8* old = elementsOrNull();
        TUint8* target = renewStorage(count + n); // cleared by the heap
        if (old)
            std::memcpy(target, old, size_t(count) * elementLength);
    } else {
        std::memset(bytesAt(count, n), 0, size_t(n) * elementLength);
    }
    count += n;
    return bytesAt(count - n, n);
}

TUint8* OVectorBase::appendUnclearedBytes(int n)
{
    if (n <= 0)
        return nullptr;
    if (TInt64(count) + n > 0x7FFFFFFF / 2)
        throw std::bad_alloc();
    // In place, the capacity past count is already clear.
    if (count + n > capacity) {
        const TUint8* old = elementsOrNull();
        TUint8* target = renewStorageUncleared(count + n, count + n);
        if (old)
            std::memcpy(target, old, size_t(count) * size_t(elementBytes));
    }
    count += n;
    return bytesAt(count - n, n);
}

void OVectorBase::insertBytes(int position, const void* source, int n)
{
    if (position < 0 || position > count)
        badIndex();
    if (n <= 0)
        return;
    if (TInt64(count) + n > 0x7FFFFFFF / 2)
        throw std::bad_alloc();
    const size_t elementLength = size_t(elementBytes);
    const size_t insertLength = size_t(n) * elementLength;
    if (count + n <= capacity) {
        std::vector<TUint8> copy;
        source = outsideStorage(source, insertLength, copy);
        TUint8* base = bytesAt(0, capacity);
        std::memmove(base + (size_t(position) + n) * elementLength, base + size_t(position) * elementLength,
                     size_t(count - position) * elementLength);
        std::memmove(base + size_t(position) * elementLength, source, insertLength);
        count += n;
        return;
    }
    const TUint8* old = elementsOrNull();
    TUint8* target = renewStorage(count + n);
    if (old) {
        std::memmove(target, old, size_t(position) * elementLength);
        std::memmove(target + (size_t(position) + n) * elementLength, old + size_t(position) * elementLength,
                    size_t(count - position) * elementLength);
    }
    std::memmove(target + size_t(position) * elementLength, source, insertLength);
    count += n;
}

const void* OVectorBase::outsideStorage(const void* source, size_t length, std::vector<TUint8>& copy) const
{
    if (data == 0)
        return source;
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(memory->arena().raw(data));
    const std::uintptr_t last = first + size_t(capacity) * size_t(elementBytes);
    const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(source);
    if (from >= last || from + length <= first)
        return source;
    const TUint8* bytes = static_cast<const TUint8*>(source);
    copy.assign(bytes, bytes + length);
    return copy.data();
}

TUint8* OVectorBase::renewStorage(int elements)
{
    const int newCapacity = capacityFor(elements);
    const TAddr fresh = newStorage(newCapacity); // cleared by the heap
    TUint8* target = memory->arena().resolve(fresh, TUint32(newCapacity) * TUint32(elementBytes));
    data = fresh;
    capacity = newCapacity;
    return target;
}

TUint8* OVectorBase::renewStorageUncleared(int elements, int clearFrom)
{
    const int newCapacity = capacityFor(elements);
    const TInt64 bytes = TInt64(newCapacity) * elementBytes;
    if (bytes > 0x7FFF0000)
        throw std::bad_alloc();
    const TAddr fresh = memory->allocateStorageUncleared(TUint32(bytes));
    TUint8* target = memory->arena().resolve(fresh, TUint32(bytes));
    std::memset(target + size_t(clearFrom) * size_t(elementBytes), 0,
                size_t(newCapacity - clearFrom) * size_t(elementBytes));
    data = fresh;
    capacity = newCapacity;
    return target;
}

void OVectorBase::replaceBytes(int start, int n, const void* source, int m)
{
    const size_t elementLength = size_t(elementBytes);
    const size_t insertLength = size_t(m) * elementLength;
    if (start == 0 && n == count) {
        dropStorage(); // the old storage stays readable until collected
        insertBytes(0, source, m);
        return;
    }
    const TInt64 grown = TInt64(count) - n + m;
    if (grown > 0x7FFFFFFF / 2)
        throw std::bad_alloc();
    const int newCount = int(grown);
    const size_t tail = size_t(count - start - n) * elementLength;
    if (newCount <= capacity) {
        std::vector<TUint8> copy;
        source = outsideStorage(source, insertLength, copy);
        TUint8* base = bytesAt(0, capacity);
        std::memmove(base + size_t(start + m) * elementLength, base + size_t(start + n) * elementLength, tail);
        std::memmove(base + size_t(start) * elementLength, source, insertLength);
        if (newCount < count)
            std::memset(base + size_t(newCount) * elementLength, 0, size_t(count - newCount) * elementLength);
        count = newCount;
        return;
    }
    const TUint8* old = bytesAt(0, count);
    TUint8* target = renewStorage(newCount);
    std::memmove(target, old, size_t(start) * elementLength);
    std::memmove(target + size_t(start) * elementLength, source, insertLength);
    std::memmove(target + size_t(start + m) * elementLength, old + size_t(start + n) * elementLength, tail);
    count = newCount;
}

void OVectorBase::repeatBytes(int times)
{
    const TInt64 grown = TInt64(count) * times;
    if (grown > 0x7FFFFFFF / 2)
        throw std::bad_alloc();
    const size_t once = size_t(count) * size_t(elementBytes);
    TUint8* target;
    if (grown <= capacity) {
        target = bytesAt(0, capacity);
    } else {
        const TUint8* old = bytesAt(0, count);
        target = renewStorage(int(grown));
        std::memmove(target, old, once);
    }
    for (int i = 1; i < times; ++i)
        std::memmove(target + once * size_t(i), target, once);
    count = int(grown);
}

void OVectorBase::removeBytes(int start, int n)
{
    if (start < 0 || n < 0 || n > count - start)
        badIndex();
    if (n == 0)
        return;
    const int remaining = count - n;
    if (remaining == 0) {
        dropStorage();
        return;
    }
    const size_t elementLength = size_t(elementBytes);
    const size_t tail = size_t(count - start - n) * elementLength;
    if (int(float(capacity) * 0.5f) < remaining) {
        TUint8* base = bytesAt(0, count);
        std::memmove(base + size_t(start) * elementLength, base + size_t(start + n) * elementLength, tail);
        std::memset(base + size_t(remaining) * elementLength, 0, size_t(n) * elementLength);
        count = remaining;
        return;
    }
    const TUint8* old = bytesAt(0, count);
    TUint8* target = renewStorage(remaining);
    std::memmove(target, old, size_t(start) * elementLength);
    std::memmove(target + size_t(start) * elementLength, old + size_t(start + n) * elementLength, tail);
    count = remaining;
}
