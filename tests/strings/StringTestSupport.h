// Shared fixture for the OString tests: a private arena made current, and
// helpers to build strings and check raised VM errors.
#pragma once

#include "OString.h"
#include "VMError.h"

#include <gtest/gtest.h>

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

class StringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumbra::Arena::setCurrent(&arena);
        Lumbra::clearLastError();
    }
    void TearDown() override { Lumbra::Arena::setCurrent(nullptr); }

    Lumbra::Arena arena{1u << 28};
};

inline OString S(std::u16string_view text)
{
    return OString::fromU16(text);
}

inline std::u16string U(const OString& s)
{
    return s.toU16();
}
