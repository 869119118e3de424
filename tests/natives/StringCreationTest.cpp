// String natives that create strings into result boxes, simple queries, the
// in-place character address, and numbers without an operation.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {

// Runs native `native` of the String group on (res, text, extra ints...) and
// logs the string put into res.
RunResult intoResult(int native, const std::string& text, std::initializer_list<TWord> extra)
{
    Program p;
    const int res = p.resultBox();
    p.copy(res);
    p.text(text);
    for (TWord w : extra)
        p.integer(w);
    p.string(native, 2 + int(extra.size()), 0);
    p.copy(res);
    p.logText();
    return run(p);
}

} // namespace

TEST(StringCreation, ResultBoxesReceiveNewStrings)
{
    EXPECT_EQ(intoResult(2, "xyz", {}).log, std::vector<std::string>{"xyz"});
    EXPECT_EQ(intoResult(4, "xyz", {}).log, std::vector<std::string>{"xyz"});
    EXPECT_EQ(intoResult(8, "abcdefg", {2}).log, std::vector<std::string>{"aceg"});
    EXPECT_EQ(intoResult(8, "abcdefg", {0}).log, error(6, "InvalidArgumentException"));
    EXPECT_EQ(intoResult(9, "abcdefg", {1, 5, 2}).log, std::vector<std::string>{"bdf"});
    EXPECT_EQ(intoResult(9, "abcdefg", {-1, 5, 2}).log, error(5, "RangeException"));

    Program filled;
    const int res = filled.resultBox();
    filled.copy(res);
    filled.integer(0x10000 + 'z'); // only the low 16 bits are the character
    filled.integer(3);
    filled.string(5, 3, 0);
    filled.copy(res);
    filled.logText();
    filled.copy(res);
    filled.integer('z');
    filled.integer(-1);
    filled.string(5, 3, 0);
    EXPECT_EQ(run(filled).log, std::vector<std::string>{"zzz"} + error(6, "InvalidArgumentException"));
}

TEST(StringCreation, SubstringRangesAndTheirEdges)
{
    EXPECT_EQ(intoResult(7, "abcdef", {1, 3}).log, std::vector<std::string>{"bcd"});
    EXPECT_EQ(intoResult(7, "abcdef", {2, -1}).log, std::vector<std::string>{"cdef"});
    EXPECT_EQ(intoResult(7, "abcdef", {0, 0}).log, std::vector<std::string>{""});
    EXPECT_EQ(intoResult(7, "abcdef", {3, 0}).log, error(5, "RangeException"));
    EXPECT_EQ(intoResult(7, "abc", {10, -1}).log, std::vector<std::string>{""});
    EXPECT_EQ(intoResult(7, "abc", {1, 5}).log, error(5, "RangeException"));
    EXPECT_EQ(intoResult(7, "abc", {-1, 1}).log, error(5, "RangeException"));

    // 150 and 153 leave a fresh reference instead.
    for (int native : {150, 153}) {
        Program p;
        p.text("abcdef");
        p.integer(2);
        p.integer(2);
        p.string(native, 3, 1);
        p.logText();
        EXPECT_EQ(run(p).log, std::vector<std::string>{"cd"}) << native;
    }
}

TEST(StringCreation, ResultNativesReplaceTheBoxWhileMutatorsChangeTheSharedString)
{
    Program p;
    const int a = p.text("abc");
    const int b = p.copy(a);
    p.line("load", 0);
    p.line("box", 0); // b: another box holding the same string object
    p.copy(a);
    p.integer('!');
    p.string(63, 2, 0); // append through a
    p.copy(b);
    p.logText();
    p.copy(a);
    p.string(1, 1, 0); // a := empty string
    p.copy(b);
    p.logText();
    p.copy(a);
    p.string(10, 1, 1);
    p.logInt();
    // A copy made by native 2 shares the characters but not later changes.
    const int copy = p.resultBox();
    p.copy(copy);
    p.copy(b);
    p.string(2, 2, 0);
    p.copy(b);
    p.integer('?');
    p.string(63, 2, 0);
    p.copy(copy);
    p.logText();
    EXPECT_EQ(run(p).log, (std::vector<std::string>{"abc!", "abc!", "0", "abc!"}));
}

TEST(StringQueries, LengthEmptinessAndEnds)
{
    Program p;
    const int s = p.text("Hello");
    const int e = p.text("");
    for (int native : {10, 11, 14, 15}) {
        p.copy(s);
        p.string(native, 1, 1);
        p.logInt();
    }
    p.copy(e);
    p.string(11, 1, 1);
    p.logInt();
    p.copy(e);
    p.string(15, 1, 1);
    EXPECT_EQ(run(p).log, ints({5, 0, 'H', 'o', 1}) + error(2, "IndexOutOfBoundsException"));
}

TEST(StringQueries, CharacterAddressWritesInPlaceForEverySharer)
{
    Program p;
    const int s = p.text("abcd");
    const int sharer = p.resultBox();
    p.copy(sharer);
    p.copy(s);
    p.string(2, 2, 0); // shares the character buffer
    p.copy(s);
    p.integer(1);
    p.string(12, 2, 1);
    p.integer('X');
    p.line("hstore", -2);
    p.copy(s);
    p.logText();
    p.copy(sharer);
    p.logText();
    p.copy(s);
    p.integer(4);
    p.string(12, 2, 1);
    EXPECT_EQ(run(p).log, (std::vector<std::string>{"aXcd", "aXcd"}) + error(2, "IndexOutOfBoundsException"));
}

TEST(StringQueries, BadReferencesEndInVmErrors)
{
    Program null;
    null.integer(0);
    null.string(10, 1, 1);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));

    Program emptyBox;
    emptyBox.resultBox();
    emptyBox.string(10, 1, 1);
    EXPECT_EQ(run(emptyBox).log.back(), "1");

    Program wrongKind; // a vector handle is no string reference
    wrongKind.vector(4);
    wrongKind.string(10, 1, 1);
    EXPECT_EQ(run(wrongKind).log.back(), "10");

    Program forged;
    forged.integer(0x7FFFFFF0);
    forged.string(10, 1, 1);
    EXPECT_EQ(run(forged).log.back(), "10");
}

TEST(StringQueries, NumbersWithoutAnOperationRaiseVmErrorWithThePosition)
{
    // 3, 6, 13, 55 and 56 are treated like every other undefined number.
    for (int native : {0, 3, 6, 13, 54, 55, 56, 161, 200, 255}) {
        Program p;
        p.string(native, 0, 0); // at code offset 0: the function byte is at 2
        EXPECT_EQ(run(p).log, error(10, "VMException: String:2")) << native;
    }
    Program later;
    later.integer(7);
    later.string(3, 0, 0);
    EXPECT_EQ(run(later).log, error(10, "VMException: String:7"));

    Program nothing; // 151 leaves the stack as it is
    nothing.integer(42);
    nothing.string(151, 0, 0);
    nothing.logInt();
    EXPECT_EQ(run(nothing).log, ints({42}));
}
