// Fixed-width scalar types shared by every layer of the player.
#pragma once

#include <cstdint>

typedef std::int32_t TInt32;
typedef std::int64_t TInt64;
typedef std::uint8_t TUint8;
typedef std::uint16_t TUint16;
typedef std::uint32_t TUint32;
typedef std::uint64_t TUint64;
typedef std::int32_t TInt;
typedef bool TBool;
typedef double TReal;

// A word of the machine: stack slots, object fields, references (arena offsets).
typedef std::int32_t TWord;
// A bytecode-visible address: an offset into the machine's arena, 0 being null.
typedef std::uint32_t TAddr;

// Internal invariant check: names the check and its source file and ends
// the process with status 1.
#define LUMBRA_ASSERT(cond)                                                    \
    do {                                                                       \
        if (!(cond)) ::lumbraAssertFailed(#cond, __FILE__, __LINE__);          \
    } while (0)

[[noreturn]] void lumbraAssertFailed(const char* text, const char* file, int line);
