// OVector<T>: the managed array. A GCObject whose element storage is a plain
// block of the managed heap (object flag 0, GC_CODE_NATIVE), so bytecode can
// address elements. Storage that is replaced or dropped is never released
// here: the collector reclaims it once nothing references it.
//
// Element types that are not trivially copyable (strings holding host
// pointers) must never sit in bytecode-writable memory: OVector keeps those
// in host memory instead, with the same capacity rule, and has no storage block.
#pragma once

#include "ManagedMemory.h"
#include "VMError.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

// What the collector needs of any vector: count, element size and storage.
class OVectorBase : public GCObject {
public:
    int size() const { return count; }
    int capacityOf() const { return capacity; }
    int elementSize() const { return elementBytes; }
    // Address of the element storage block, 0 when there is none.
    TAddr storage() const { return data; }
    bool isEmpty() const { return count == 0; }
    // Arena address of element `index` of the storage, 0 outside the
    // capacity (the element at size() is the one an append fills in place).
    TAddr storageAddress(int index) const
    {
        return data != 0 && index >= 0 && index < capacity ? data + TAddr(index) * TAddr(elementBytes) : 0;
    }
    // Counts the element at size(), written through storageAddress, as appended.
    void countAppended()
    {
        if (count < capacity)
            ++count;
    }

    // Elements a new storage for n elements holds.
    static int capacityFor(int n) { return std::max(10, int(n * 1.2)); }

    // The storage lives as long as the vector, however the vector is reached
    // (a vector handle, or a plain reference box).
    void pushReferences(Vec<int>& markStack) override
    {
        if (data != 0)
            markStack.append(int(data));
    }

protected:
    explicit OVectorBase(int elementBytes);

    // Forgets the storage (the collector reclaims it).
    void dropStorage();
    // Removes n elements from start; in place while more than half the
    // capacity stays in use, otherwise into new storage.
    void removeBytes(int start, int n);

    // Inserts n elements of elementBytes each from host memory at `position`.
    void insertBytes(int position, const void* source, int n);
    // Replaces the n elements from `start` (a range inside the vector) by m > 0
    // elements from host memory: a copy when the range is everything, in place
    // when the capacity suffices, otherwise in new storage.
    void replaceBytes(int start, int n, const void* source, int m);
    // Repeats the contents `times` (>= 2) times, in place when the capacity suffices.
    void repeatBytes(int times);
    // Appends n >= 0 cleared elements and answers their host memory (null for
    // none), valid until the storage is next replaced.
    TUint8* appendClearedBytes(int n);
    // Appends n >= 0 elements whose host memory is answered (null for none)
    // without clearing them: the caller must write or clear them all before
    // bytecode runs. The capacity past them is cleared.
    TUint8* appendUnclearedBytes(int n);
    // Host view of the elements, null when there are none.
    const TUint8* elementsOrNull() const { return count > 0 ? bytesAt(0, count) : nullptr; }
    // Host memory of elements [index, index + n) of the storage.
    TUint8* bytesAt(int index, int n) const;
    [[noreturn]] static void badIndex();
    void checkIndex(int index) const
    {
        if (index < 0 || index >= count)
            badIndex();
    }

    TAddr data = 0;
    int capacity = 0;
    int count = 0;

private:
    TAddr newStorage(int elements);
    // Elements moved in place must not be read from the storage they move
    // in: such a source is copied into `copy` first. Replaced storage is never
    // released, so a source in it stays readable.
    const void* outsideStorage(const void* source, size_t length, std::vector<TUint8>& copy) const;
    // Replaces data by cleared storage for `elements` and answers its host memory.
    TUint8* renewStorage(int elements);
    // renewStorage that clears only the capacity from element `clearFrom`
    // on: the caller writes every element before it.
    TUint8* renewStorageUncleared(int elements, int clearFrom);

    int elementBytes;
    ManagedMemory* memory;
};

template <class T, bool InArena = std::is_trivially_copyable_v<T>>
class OVector : public OVectorBase {
    static_assert(alignof(T) <= 4, "heap blocks are only word aligned");

public:
    OVector() : OVectorBase(int(sizeof(T))) {}

    // A reference into the arena: valid until the storage is next replaced.
    T& operator[](int index)
    {
        checkIndex(index);
        return *reinterpret_cast<T*>(bytesAt(index, 1));
    }
    const T& operator[](int index) const
    {
        checkIndex(index);
        return *reinterpret_cast<const T*>(bytesAt(index, 1));
    }

    // The elements in host memory: valid until the storage is next replaced.
    const T* begin() const { return reinterpret_cast<const T*>(elementsOrNull()); }
    const T* end() const { return begin() + count; }
    const T* constData() const { return begin(); }

    void insert(int position, const T& value) { insertBytes(position, &value, 1); }
    void insert(int position, const T* values, int n) { insertBytes(position, values, n); }
    void append(const T& value) { insert(count, value); }
    // An append of a value held outside the storage, in place while the capacity lasts.
    void appendValue(T value)
    {
        if (count < capacity) {
            std::memcpy(bytesAt(count, 1), &value, sizeof(T));
            ++count;
        } else {
            insertBytes(count, &value, 1);
        }
    }
    // Appends n cleared elements to be filled in place, through the host
    // memory answered (valid until the storage is next replaced).
    T* appendCleared(int n) { return reinterpret_cast<T*>(appendClearedBytes(n)); }
    // Appends n elements that `fill(T* target, int n)` writes in place (large
    // reads: nothing is cleared first). Answers what fill answers: whether
    // it wrote them all. When it did not, or throws, the n elements are
    // cleared, so they never show what the heap's storage held before.
    template <class Fill>
    bool appendFilled(int n, Fill&& fill)
    {
        T* target = reinterpret_cast<T*>(appendUnclearedBytes(n));
        const size_t bytes = size_t(std::max(n, 0)) * sizeof(T);
        bool wrote = false;
        try {
            wrote = fill(target, std::max(n, 0));
        } catch (...) {
            if (bytes > 0)
                std::memset(static_cast<void*>(target), 0, bytes);
            throw;
        }
        if (!wrote && bytes > 0)
            std::memset(static_cast<void*>(target), 0, bytes);
        return wrote;
    }
    void removeRange(int start, int n) { removeBytes(start, n); }
    void removeAt(int index)
    {
        checkIndex(index);
        removeBytes(index, 1);
    }
    void clear() { dropStorage(); }

    // Replaces elements [start, start + n) by `values`. No values removes the
    // range (it must lie inside: code 2); a range outside the vector changes nothing.
    void replaceRange(int start, int n, const T* values, int m)
    {
        if (m <= 0) {
            removeBytes(start, n);
            return;
        }
        if (start < 0 || n <= 0 || n > count - start)
            return;
        replaceBytes(start, n, values, m);
    }
    // The contents `times` times over; times < 0 raises code 6, 0 clears.
    void repeat(int times)
    {
        if (times < 0)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        if (times == 0)
            clear();
        else if (times > 1 && count > 0)
            repeatBytes(times);
    }
};

// Host-side storage for element types that hold host state.
template <class T>
class OVector<T, false> : public OVectorBase {
public:
    OVector() : OVectorBase(int(sizeof(T))) {}

    T& operator[](int index)
    {
        checkIndex(index);
        return items[index];
    }
    const T& operator[](int index) const
    {
        checkIndex(index);
        return items[index];
    }
    const T* begin() const { return items.begin(); }
    const T* end() const { return items.end(); }

    void insert(int position, const T& value) { insert(position, &value, 1); }
    void insert(int position, const T* values, int n)
    {
        if (position < 0 || position > count)
            badIndex();
        if (n <= 0)
            return;
        Vec<T> copies; // values may live in items
        copies.append(values, n);
        if (count + n > capacity) {
            capacity = capacityFor(count + n);
            items.reserve(capacity);
        }
        for (int i = 0; i < n; ++i)
            items.insert(position + i, copies[i]);
        count = items.size();
    }
    void append(const T& value) { insert(count, value); }
    void removeRange(int start, int n)
    {
        if (start < 0 || n < 0 || n > count - start)
            badIndex();
        for (int i = start; i + n < count; ++i)
            items[i] = items[i + n];
        items.removeLast(n);
        count = items.size();
        if (count == 0)
            clear();
    }
    void removeAt(int index)
    {
        checkIndex(index);
        removeRange(index, 1);
    }
    void clear()
    {
        items.clear();
        dropStorage();
    }

private:
    Vec<T> items;
};
