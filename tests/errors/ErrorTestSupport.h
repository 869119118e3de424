// Runs a statement that must raise a VM error and hands back the recorded message.
#pragma once

#include "VMError.h"

#include <gtest/gtest.h>

#include <string>

template <class Statement>
std::u16string raisedMessage(TInt32 expectedCode, Statement statement)
{
    Lumbra::clearLastError();
    try {
        statement();
        ADD_FAILURE() << "no VM error raised";
    } catch (const Lumbra::ErrorHandlingException&) {
        EXPECT_EQ(Lumbra::lastErrorCode(), expectedCode);
    }
    return Lumbra::lastErrorMessage();
}
