// Clearing, copying and comparing, which Position, Range, Rectangle and Size share:
// every word of the variable takes part, in each of the four groups.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {

struct ValueGroup {
    int group;
    int words;
    int equalNative; // the next native answers "not equal"
};
const ValueGroup GROUPS[] = {{16, 2, 8}, {14, 2, 9}, {17, 4, 20}, {15, 2, 8}};

std::vector<std::string> logged(const std::vector<TWord>& values)
{
    std::vector<std::string> lines;
    for (TWord v : values)
        lines.push_back(std::to_string(v));
    return lines;
}

// Runs `native` on the address of a variable holding `words` (and, for a
// copy, the address of one holding `from`), then logs the variable.
std::vector<std::string> variableAfter(const ValueGroup& g, int native, const std::vector<TWord>& words,
                                       const std::vector<TWord>& from = {})
{
    Program p;
    const int var = p.depth();
    for (TWord w : words)
        p.integer(w);
    const int source = p.depth();
    for (TWord w : from)
        p.integer(w);
    p.line("slotaddr " + std::to_string(var - p.depth()), 1);
    if (!from.empty())
        p.line("slotaddr " + std::to_string(source - p.depth()), 1);
    p.vec(g.group, native, from.empty() ? 1 : 2, 0);
    for (int i = 0; i < g.words; ++i) {
        p.copy(var + i);
        p.logInt();
    }
    return run(p).log;
}

} // namespace

TEST(ValueGroupShared, ClearZeroesEveryWordAndCopyTakesEveryWord)
{
    for (const ValueGroup& g : GROUPS) {
        SCOPED_TRACE(g.group);
        const std::vector<TWord> filled{3, -4, 5, 6}, other{7, 8, 9, 10};
        EXPECT_EQ(variableAfter(g, 1, {filled.begin(), filled.begin() + g.words}),
                  logged(std::vector<TWord>(size_t(g.words), 0)));
        const std::vector<TWord> copied(other.begin(), other.begin() + g.words);
        EXPECT_EQ(variableAfter(g, 2, {filled.begin(), filled.begin() + g.words}, copied), logged(copied));
    }
}

TEST(ValueGroupShared, ComparisonsSeeEveryWord)
{
    for (const ValueGroup& g : GROUPS) {
        // differing = -1: the two values are equal; else that word differs.
        for (int differing = -1; differing < g.words; ++differing) {
            SCOPED_TRACE(testing::Message() << "group " << g.group << ", word " << differing);
            Program p;
            for (int native : {g.equalNative, g.equalNative + 1}) {
                for (int side = 0; side < 2; ++side)
                    for (int i = 0; i < g.words; ++i)
                        p.integer(TWord(10 + i + (side == 1 && i == differing ? 1 : 0)));
                p.vec(g.group, native, 2 * g.words, 1);
                p.logInt();
            }
            const bool equal = differing < 0;
            EXPECT_EQ(run(p).log, logged({equal ? 1 : 0, equal ? 0 : 1}));
        }
    }
}
