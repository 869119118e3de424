// Vec<T>: the host's growable array. Grows by a quarter plus 8 elements;
// index and size errors raise InvalidArgumentException.
#pragma once

#include "VMError.h"

#include <initializer_list>
#include <new>
#include <utility>

template <class T>
class Vec {
public:
    Vec() = default;
    explicit Vec(int reserved) { if (reserved > 0) reserve(reserved); }
    Vec(const Vec& other) { assignFrom(other); }
    Vec(Vec&& other) noexcept
        : items(other.items), capacity_(other.capacity_), count_(other.count_)
    {
        other.items = nullptr;
        other.capacity_ = other.count_ = 0;
    }
    Vec& operator=(const Vec& other)
    {
        if (this != &other) {
            clear();
            assignFrom(other);
        }
        return *this;
    }
    Vec& operator=(Vec&& other) noexcept
    {
        if (this != &other) {
            clear();
            std::swap(items, other.items);
            std::swap(capacity_, other.capacity_);
            std::swap(count_, other.count_);
        }
        return *this;
    }
    virtual ~Vec() { clear(); }

    // A Vec holding `values` in order.
    static Vec of(std::initializer_list<T> values)
    {
        Vec v(int(values.size()));
        for (const T& value : values)
            v.append(value);
        return v;
    }

    int size() const { return count_; }
    int count() const { return count_; }
    int capacity() const { return capacity_; }
    bool isEmpty() const { return count_ == 0; }
    T* data() { return items; }
    const T* data() const { return items; }
    T* begin() { return items; }
    T* end() { return items + count_; }
    const T* begin() const { return items; }
    const T* end() const { return items + count_; }

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
    T& last() { return (*this)[count_ - 1]; }
    const T& last() const { return (*this)[count_ - 1]; }

    void append(const T& value)
    {
        if (count_ == capacity_) {
            T copy(value); // value may live in the buffer about to move
            reserve(grownCapacity());
            new (items + count_) T(std::move(copy));
        } else {
            new (items + count_) T(value);
        }
        ++count_;
    }
    void append(const T* values, int n)
    {
        for (int i = 0; i < n; ++i)
            append(values[i]);
    }

    void insert(int position, const T& value)
    {
        if (position < 0 || position > count_)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        T copy(value);
        append(copy);
        for (int i = count_ - 1; i > position; --i)
            items[i] = std::move(items[i - 1]);
        items[position] = std::move(copy);
    }

    void reserve(int n)
    {
        if (n < count_)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        if (n < 1)
            n = 1;
        T* fresh = static_cast<T*>(::operator new(sizeof(T) * size_t(n)));
        for (int i = 0; i < count_; ++i) {
            new (fresh + i) T(std::move(items[i]));
            items[i].~T();
        }
        ::operator delete(items);
        items = fresh;
        capacity_ = n;
    }

    // New elements are value-initialised (the original left words uncleared;
    // cleared memory is never worse for the caller).
    void setSize(int n)
    {
        if (n < 0)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        if (n > count_ && n > capacity_)
            reserve(n);
        for (int i = count_; i < n; ++i)
            new (items + i) T();
        for (int i = n; i < count_; ++i)
            items[i].~T();
        count_ = n;
    }

    void removeLast(int k = 1)
    {
        if (k < 0 || k > count_)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        for (int i = count_ - k; i < count_; ++i)
            items[i].~T();
        count_ -= k;
    }

    void removeAt(int index)
    {
        checkIndex(index);
        for (int i = index; i + 1 < count_; ++i)
            items[i] = std::move(items[i + 1]);
        removeLast();
    }

    void clear()
    {
        for (int i = 0; i < count_; ++i)
            items[i].~T();
        ::operator delete(items);
        items = nullptr;
        capacity_ = count_ = 0;
    }

private:
    // A quarter plus 8 more, computed wide so a huge count cannot wrap.
    int grownCapacity() const
    {
        const long long grown = ((static_cast<long long>(count_) * 5) >> 2) + 8;
        if (grown > 0x7fffffff)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        return static_cast<int>(grown);
    }
    void checkIndex(int index) const
    {
        if (index < 0 || index >= count_)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
    }
    void assignFrom(const Vec& other)
    {
        if (other.count_ > 0) {
            reserve(other.count_);
            // Counted one by one so a throwing copy leaves a consistent Vec.
            for (int i = 0; i < other.count_; ++i) {
                new (items + i) T(other.items[i]);
                ++count_;
            }
        }
    }

    T* items = nullptr;
    int capacity_ = 0;
    int count_ = 0;
    void* allocator = nullptr; // always empty: buffers come from the system heap
};
