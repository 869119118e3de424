// The machine's address space: one reserved range addressed by 32-bit offsets.
// Every bytecode-visible address (stack slots, heap blocks, string characters,
// vector elements) is an offset into an Arena; offset 0 is null. A word from
// bytecode becomes memory by one addition after one range check, so no forged
// address can make the host touch memory outside the arena.
//
// Allocation bookkeeping lives on the host side, never inside the arena, so
// bytecode that scribbles over arena memory cannot corrupt the allocator.
#pragma once

#include "LumbraTypes.h"

#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace Lumbra {

class Arena {
public:
    static constexpr TUint32 DEFAULT_RESERVE = 1u << 30;
    // Offsets below this are never handed out: small integers are not addresses.
    static constexpr TUint32 FIRST_OFFSET = 1u << 16;
    static constexpr TUint32 ALIGNMENT = 16;

    explicit Arena(TUint32 reserveBytes = DEFAULT_RESERVE);
    ~Arena();
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // `bytes` (rounded up to 16) of arena memory, not cleared; throws
    // std::bad_alloc when the reserve is exhausted.
    TAddr allocate(TUint32 bytes);
    // Like allocate, but the range reads zero; memory beyond everything
    // handed out so far is zero already and is not touched.
    TAddr allocateCleared(TUint32 bytes);
    // Gives back a range from allocate(); `bytes` must be the size asked for.
    void release(TAddr addr, TUint32 bytes);
    // Tries to make the range at `addr`, allocated for `oldBytes`, hold
    // `newBytes` > `oldBytes` where it is: true when it now does (release it
    // with `newBytes` from then on), false when it stays as it was.
    bool grow(TAddr addr, TUint32 oldBytes, TUint32 newBytes);

    // True when [addr, addr + len) lies inside memory handed out so far.
    bool contains(TAddr addr, TUint32 len) const
    {
        return addr >= FIRST_OFFSET && addr <= top && len <= top - addr;
    }

    // Host memory of a bytecode address: null raises NullPointerException
    // "NULL pointer", an address outside the arena raises VMException.
    TUint8* resolve(TAddr addr, TUint32 len) const
    {
        if (addr == 0)
            nullAddress();
        if (!contains(addr, len))
            wildAddress(addr);
        return base + addr;
    }

    // Unchecked translation for host code that already holds a valid address.
    TUint8* raw(TAddr addr) const { return base + addr; }
    TAddr addressOf(const void* p) const { return TAddr(static_cast<const TUint8*>(p) - base); }

    TWord loadWord(TAddr addr) const
    {
        TWord v;
        std::memcpy(&v, resolve(addr, 4), 4);
        return v;
    }
    void storeWord(TAddr addr, TWord v) const { std::memcpy(resolve(addr, 4), &v, 4); }

    TUint32 reserved() const { return reserveBytes; }
    TUint32 highWater() const { return top; }
    // Bytes of the ranges handed out and not given back (each counted at the
    // size it takes: its small class, or whole pages).
    TUint32 bytesInUse() const { return inUse; }
    // Bytes handed out since the arena was made, grown ranges included; never
    // decreases. The heap measures allocation between collections by it.
    TUint64 bytesHandedOut() const { return handedOut; }
    // Gives the whole pages inside [addr, addr + bytes) back to the system;
    // they read zero when next touched. The range stays handed out.
    void discardPages(TAddr addr, TUint32 bytes);

    // The arena of the machine running on this thread.
    static Arena* current();
    static void setCurrent(Arena* arena);

    [[noreturn]] static void nullAddress();
    [[noreturn]] static void wildAddress(TAddr addr);

private:
    static int smallClass(TUint32 bytes);
    static TUint32 pageRound(TUint32 bytes);
    TAddr bump(TUint32 bytes);
    void populate(TAddr addr, TUint32 size);
    void addLargeFree(TAddr addr, TUint32 size);
    void removeLargeFree(std::map<TAddr, TUint32>::iterator range);

    TUint8* base = nullptr;
    TUint32 reserveBytes = 0;
    TUint32 top = FIRST_OFFSET;
    // The highest top so far: memory above it was never handed out (zero).
    TUint32 everHandedOut = FIRST_OFFSET;
    TUint32 inUse = 0;
    TUint64 handedOut = 0;
    // Small ranges: one free list per power-of-two class from 16 to 32 KiB.
    std::vector<TAddr> smallFree[12];
    // Large ranges (multiples of 4 KiB): free ranges by address, merged with
    // their free neighbours, and the same ranges by size for the best fit.
    std::map<TAddr, TUint32> largeFreeAt;
    std::set<std::pair<TUint32, TAddr>> largeFreeBySize;
};

} // namespace Lumbra
