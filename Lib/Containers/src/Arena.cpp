#include "Arena.h"

#include "VMError.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <sys/mman.h>

namespace Lumbra {

namespace {
constexpr TUint32 SMALL_LIMIT = 32768;
constexpr TUint32 PAGE = 4096;
constexpr std::uintptr_t HUGE_PAGE = 2u << 20;
constexpr std::uintptr_t SMALL_PAGES_PART = 4u << 20;
thread_local Arena* currentArena = nullptr;
} // namespace

Arena::Arena(TUint32 reserve) : reserveBytes(reserve)
{
    void* p = ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    base = static_cast<TUint8*>(p);
    // Past its first few MiB, where a small program's whole heap lies, the
    // arena asks for huge pages: a program that allocates in bulk then maps
    // its fresh memory in 2 MiB faults instead of 4 KiB ones.
    const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(base) + SMALL_PAGES_PART + HUGE_PAGE - 1) &
                                ~std::uintptr_t(HUGE_PAGE - 1);
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(base) + reserve;
    if (from < end)
        ::madvise(reinterpret_cast<void*>(from), end - from, MADV_HUGEPAGE);
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
    everHandedOut = std::max(everHandedOut, top);
    return addr;
}

TAddr Arena::allocate(TUint32 bytes)
{
    if (bytes == 0)
        bytes = 1;
    if (bytes <= SMALL_LIMIT) {
        int k = smallClass(bytes);
        std::vector<TAddr>& list = smallFree[k];
        inUse += 16u << k;
        handedOut += 16u << k;
        if (!list.empty()) {
            TAddr addr = list.back();
            list.pop_back();
            return addr;
        }
        if ((16u << k) <= reserveBytes - top)
            return bump(16u << k);
        // The top is reached: ranges given back as large ones (a released
        // reserve among them) serve small requests too. Whole pages are cut
        // from the smallest that fits; the rest of them joins this class's list.
        const TUint32 cut = pageRound(16u << k);
        const auto best = largeFreeBySize.lower_bound({cut, 0});
        if (best == largeFreeBySize.end()) {
            inUse -= 16u << k;
            handedOut -= 16u << k;
            throw std::bad_alloc();
        }
        const auto [found, addr] = *best;
        removeLargeFree(largeFreeAt.find(addr));
        if (found > cut)
            addLargeFree(addr + cut, found - cut);
        for (TAddr rest = addr + cut; rest - (16u << k) > addr;)
            list.push_back(rest -= 16u << k);
        return addr;
    }
    if (bytes > reserveBytes)
        throw std::bad_alloc();
    const TUint32 size = pageRound(bytes);
    auto best = largeFreeBySize.lower_bound({size, 0});
    if (best != largeFreeBySize.end()) {
        const auto [found, addr] = *best;
        removeLargeFree(largeFreeAt.find(addr));
        if (found > size)
            addLargeFree(addr + size, found - size);
        populate(addr, size);
        inUse += size;
        handedOut += size;
        return addr;
    }
    // Keep large ranges page-aligned.
    TUint32 pad = (PAGE - (top & (PAGE - 1))) & (PAGE - 1);
    if (pad != 0)
        bump(pad);
    const TAddr addr = bump(size);
    populate(addr, size);
    inUse += size;
    handedOut += size;
    return addr;
}

TAddr Arena::allocateCleared(TUint32 bytes)
{
    const TAddr fresh = everHandedOut;
    const TAddr addr = allocate(bytes);
    // Pages above everything ever handed out are still as mapped, zero. A
    // range given back may have been written since (through an address kept
    // from before), so it is cleared like any other.
    if (addr < fresh)
        std::memset(base + addr, 0, std::min(bytes, fresh - addr));
    return addr;
}

void Arena::release(TAddr addr, TUint32 bytes)
{
    if (addr == 0)
        return;
    if (bytes == 0)
        bytes = 1;
    if (bytes <= SMALL_LIMIT) {
        const int k = smallClass(bytes);
        smallFree[k].push_back(addr);
        inUse -= 16u << k;
        return;
    }
    TUint32 size = pageRound(bytes);
    inUse -= size;
    ::madvise(base + addr, size, MADV_DONTNEED); // give the pages back, keep them zero
    // Merge with free neighbours, so that a larger request or a growth fits.
    auto after = largeFreeAt.find(addr + size);
    if (after != largeFreeAt.end()) {
        size += after->second;
        removeLargeFree(after);
    }
    auto before = largeFreeAt.lower_bound(addr);
    if (before != largeFreeAt.begin()) {
        --before;
        if (before->first + before->second == addr) {
            addr = before->first;
            size += before->second;
            removeLargeFree(before);
        }
    }
    // Free room that reaches the top joins it, so that a request can take
    // that room and the never-used rest above it as one range.
    if (addr + size == top) {
        top = addr;
        return;
    }
    addLargeFree(addr, size);
}

bool Arena::grow(TAddr addr, TUint32 oldBytes, TUint32 newBytes)
{
    if (newBytes <= SMALL_LIMIT)
        return oldBytes != 0 && smallClass(oldBytes) == smallClass(newBytes);
    if (oldBytes <= SMALL_LIMIT || newBytes > reserveBytes)
        return false;
    const TUint32 oldSize = pageRound(oldBytes), newSize = pageRound(newBytes);
    if (newSize <= oldSize)
        return true;
    const TUint32 more = newSize - oldSize;
    const TAddr end = addr + oldSize;
    if (end == top) {
        if (more > reserveBytes - top)
            return false;
        top += more;
        everHandedOut = std::max(everHandedOut, top);
        inUse += more;
        handedOut += more;
        return true;
    }
    auto after = largeFreeAt.find(end);
    if (after == largeFreeAt.end() || after->second < more)
        return false;
    const TUint32 left = after->second - more;
    removeLargeFree(after);
    if (left > 0)
        addLargeFree(end + more, left);
    inUse += more;
    handedOut += more;
    return true;
}

void Arena::discardPages(TAddr addr, TUint32 bytes)
{
    const TUint64 from = (TUint64(addr) + PAGE - 1) & ~TUint64(PAGE - 1);
    const TUint64 to = (TUint64(addr) + bytes) & ~TUint64(PAGE - 1);
    if (to > from && to <= top)
        ::madvise(base + from, size_t(to - from), MADV_DONTNEED);
}

void Arena::populate(TAddr addr, TUint32 size)
{
    // Large ranges are mostly written soon after they are handed out:
    // mapping their pages in one call costs less than a fault per page.
#ifdef MADV_POPULATE_WRITE
    ::madvise(base + addr, size, MADV_POPULATE_WRITE);
#else
    (void)addr;
    (void)size;
#endif
}

TUint32 Arena::pageRound(TUint32 bytes)
{
    return TUint32((TUint64(bytes) + PAGE - 1) & ~TUint64(PAGE - 1));
}

void Arena::addLargeFree(TAddr addr, TUint32 size)
{
    largeFreeAt.emplace(addr, size);
    largeFreeBySize.emplace(size, addr);
}

void Arena::removeLargeFree(std::map<TAddr, TUint32>::iterator range)
{
    largeFreeBySize.erase({range->second, range->first});
    largeFreeAt.erase(range);
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
