// The generator against the standard library's MT19937 given the same state:
// word 0 the initial value, each next word the previous times 69069.
#include "values/MersenneTwister.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

std::mt19937 referenceFor(TUint32 initial)
{
    std::ostringstream state;
    TUint32 word = initial;
    for (int i = 0; i < 624; ++i) {
        state << word << ' ';
        word *= 69069u;
    }
    state << 624; // position: the first output refills the state
    std::mt19937 reference;
    std::istringstream in(state.str());
    in >> reference;
    EXPECT_TRUE(in) << "reference state accepted";
    return reference;
}

} // namespace

TEST(Generator, MatchesTheReferenceOutputs)
{
    for (TUint32 initial : {4357u, 1u, 0xDEADBEEFu}) {
        MersenneTwister generator(initial);
        std::mt19937 reference = referenceFor(initial);
        for (int i = 0; i < 3 * 624 + 5; ++i)
            ASSERT_EQ(generator.next(), reference()) << "output " << i << " for " << initial;
    }
}
