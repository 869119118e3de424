// Shared fixture for the OString tests: a private arena made current, and
// helpers to build strings and check raised VM errors.
#pragma once

#include "ManagedMemory.h"
#include "OString.h"
#include "VMError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// Runs `statement` and expects it to raise the VM error `code`.
#define EXPECT_VM_ERROR(code, statement)                                          \
    do {                                                                          \
        Lumbra::clearLastError();                                                 \
        try {                                                                     \
            statement;                                                            \
            ADD_FAILURE() << "no VM error from: " #statement;                     \
        } catch (const Lumbra::ErrorHandlingException&) {                         \
            EXPECT_EQ(Lumbra::lastErrorCode(), code) << #statement;               \
        }                                                                         \
    } while (0)

// Plain cleared arena blocks for the managed arrays the string operations
// return; nothing is ever collected.
class ArenaBlocks : public ManagedMemory {
public:
    explicit ArenaBlocks(Lumbra::Arena& arena) : arena_(arena) {}
    Lumbra::Arena& arena() override { return arena_; }
    TAddr allocate(TUint32 size, TInt32, GcCode) override
    {
        const TAddr addr = arena_.allocate(size);
        std::memset(arena_.raw(addr), 0, size);
        return addr;
    }
    TAddr adopt(GCObject* object, TUint32, GcCode) override
    {
        delete object;
        Lumbra::raiseError(Lumbra::EVM);
    }
    GCObject* objectAt(TAddr) override { Lumbra::raiseError(Lumbra::EVM); }

private:
    Lumbra::Arena& arena_;
};

class StringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumbra::Arena::setCurrent(&arena);
        ManagedMemory::setCurrent(&blocks);
        Lumbra::clearLastError();
    }
    void TearDown() override
    {
        ManagedMemory::setCurrent(nullptr);
        Lumbra::Arena::setCurrent(nullptr);
    }

    Lumbra::Arena arena{1u << 28};
    ArenaBlocks blocks{arena};
};

inline OString S(std::u16string_view text)
{
    return OString::fromU16(text);
}

inline std::u16string U(const OString& s)
{
    return s.toU16();
}
