#include "Arena.h"

#include "VMError.h"

#include <new>
#include <string>
#include <sys/mman.h>

namespace Lumbra {

namespace {
constexpr TUint32 SMALL_LIMIT = 32768;
constexpr TUint32 PAGE = 4096;
thread_local Arena* currentArena = nullptr;
} // namespace

Arena::Arena(TUint32 reserve) : reserveBytes(reserve)
{
    void* p = ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    base = static_cast<TUint8*>(p);
}

Arena::~Arena()
{
    if (currentArena == this)
        currentArena = nullptr;
    ::munmap(base, reserveBytes);
}

int Arena::smallClass(TUint32 bytes)
{
    int k = 0;
    TUint32 size = 16;
    while (size < bytes) {
        size <<= 1;
        ++k;
    }
    return k;
}

TAddr Arena::bump(TUint32 bytes)
{
    if (bytes > reserveBytes - top)
        throw std::bad_alloc();
    TAddr addr = top;
    top += bytes;
    return addr;
}

TAddr Arena::allocate(TUint32 bytes)
{
    if (bytes == 0)
        bytes = 1;
    if (bytes <= SMALL_LIMIT) {
        int k = smallClass(bytes);
        std::vector<TAddr>& list = smallFree[k];
        if (!list.empty()) {
            TAddr addr = list.back();
            list.pop_back();
            return addr;
        }
        return bump(16u << k);
    }
    if (bytes > reserveBytes)
        throw std::bad_alloc();
    TUint32 size = (bytes + PAGE - 1) & ~(PAGE - 1);
    auto it = largeFree.lower_bound(size);
    if (it != largeFree.end()) {
        TUint32 found = it->first;
        TAddr addr = it->second;
        largeFree.erase(it);
        if (found > size)
            largeFree.emplace(found - size, addr + size);
        return addr;
    }
    // Keep large ranges page-aligned.
    TUint32 pad = (PAGE - (top & (PAGE - 1))) & (PAGE - 1);
    if (pad != 0)
        bump(pad);
    return bump(size);
}

void Arena::release(TAddr addr, TUint32 bytes)
{
    if (addr == 0)
        return;
    if (bytes == 0)
        bytes = 1;
    if (bytes <= SMALL_LIMIT) {
        smallFree[smallClass(bytes)].push_back(addr);
        return;
    }
    TUint32 size = (bytes + PAGE - 1) & ~(PAGE - 1);
    ::madvise(base + addr, size, MADV_DONTNEED); // give the pages back, keep them zero
    largeFree.emplace(size, addr);
}

Arena* Arena::current()
{
    return currentArena;
}

void Arena::setCurrent(Arena* arena)
{
    currentArena = arena;
}

void Arena::nullAddress()
{
    throwError(ENullPointer, std::string_view("NULL pointer"));
}

void Arena::wildAddress(TAddr addr)
{
    throwError(EVM, std::string_view("invalid address " + std::to_string(addr)));
}

} // namespace Lumbra
