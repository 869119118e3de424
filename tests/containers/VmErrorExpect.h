// Runs a statement that must raise a VM error and checks the recorded code.
#pragma once

#include "VMError.h"

#include <gtest/gtest.h>

#define EXPECT_VM_ERROR(code, statement)                                       \
    do {                                                                       \
        Lumbra::clearLastError();                                              \
        EXPECT_THROW(statement, Lumbra::ErrorHandlingException);               \
        EXPECT_EQ(Lumbra::lastErrorCode(), (code));                            \
    } while (0)
