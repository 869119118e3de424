// LUMBRA_NEEDS_SERVICE(service, present, why): in a GoogleTest body or
// SetUp, skips the test when the service is missing or withheld, and fails
// it instead when the run requires every service (see TestServices.h).
#pragma once

#include "TestServices.h"

#include <gtest/gtest.h>

namespace TestSupport {

inline std::string currentTestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info ? std::string(info->test_suite_name()) + "." + info->name() : std::string("?");
}

} // namespace TestSupport

#define LUMBRA_NEEDS_SERVICE(service, present, why)                                         \
    do {                                                                                    \
        const std::string lumbraMissing = ::TestSupport::missingService(service, present, why); \
        if (!lumbraMissing.empty()) {                                                       \
            if (::TestSupport::servicesRequired())                                          \
                FAIL() << lumbraMissing << " (LUMBRA_REQUIRE_SERVICES is set)";            \
            ::TestSupport::recordSkip(::TestSupport::currentTestName(), lumbraMissing);     \
            GTEST_SKIP() << lumbraMissing;                                                  \
        }                                                                                   \
    } while (0)

// LUMBRA_SKIP_BECAUSE(why): skips for a reason other than a service (a
// build where the measurement means nothing), named in the run's skip log.
#define LUMBRA_SKIP_BECAUSE(why)                                                           \
    do {                                                                                    \
        const std::string lumbraReason = (why);                                             \
        ::TestSupport::recordSkip(::TestSupport::currentTestName(), lumbraReason);          \
        GTEST_SKIP() << lumbraReason;                                                       \
    } while (0)
