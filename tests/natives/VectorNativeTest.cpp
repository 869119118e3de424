// Vector natives through assembled programs: creation, element access for
// every element kind, insertion, removal, replacement, ranges and errors.
#include "NativeTestSupport.h"

using namespace NativeTest;

namespace {

using Lines = std::vector<std::string>;
using Element = std::vector<TWord>;

int slotsOf(int group)
{
    return group == 1 || group == 7 ? 1 : group - 2;
}

int elementBytes(int group)
{
    return group == 1 ? 1 : 4 * slotsOf(group);
}

void pushElement(Program& p, const Element& e)
{
    for (TWord w : e)
        p.integer(w);
}

// A vector of `group` holding `elements`, built by appends (native 19).
int makeVector(Program& p, int group, const std::vector<Element>& elements)
{
    const int handle = p.vector(elementBytes(group), group == 7);
    for (const Element& e : elements) {
        p.copy(handle);
        pushElement(p, e);
        p.vec(group, 19, 1 + slotsOf(group), 0);
    }
    return handle;
}

int makeInts(Program& p, std::initializer_list<TWord> values)
{
    std::vector<Element> elements;
    for (TWord v : values)
        elements.push_back({v});
    return makeVector(p, 3, elements);
}

// Calls native `native` of group 3 with (v, ints...) and logs v afterwards.
Lines intsAfter(std::initializer_list<TWord> v, int native, std::initializer_list<TWord> args, int shown)
{
    Program p;
    const int handle = makeInts(p, v);
    p.copy(handle);
    for (TWord a : args)
        p.integer(a);
    p.vec(3, native, 1 + int(args.size()), 0);
    p.logVector(handle, 3, shown);
    return run(p).log;
}

// Calls native `native` of group 3 with (v, before..., other, after...) and logs v.
Lines intsWithOther(std::initializer_list<TWord> v, int native, std::initializer_list<TWord> before,
                    std::initializer_list<TWord> other, std::initializer_list<TWord> after, int shown)
{
    Program p;
    const int handle = makeInts(p, v);
    const int second = makeInts(p, other);
    p.copy(handle);
    for (TWord a : before)
        p.integer(a);
    p.copy(second);
    for (TWord a : after)
        p.integer(a);
    p.vec(3, native, 2 + int(before.size() + after.size()), 0);
    p.logVector(handle, 3, shown);
    return run(p).log;
}

} // namespace

TEST(VectorCreation, CopiesRepeatsStepsAndRanges)
{
    Program p;
    const int a = makeInts(p, {0, 1, 2, 3, 4});
    const int copy = p.vector(4);
    p.copy(copy);
    p.copy(a);
    p.vec(3, 2, 2, 0);
    p.copy(a);
    p.integer(9);
    p.vec(3, 19, 2, 0); // the copy does not see later appends
    p.logVector(copy, 3, 5);
    const int stepped = p.vector(4);
    p.copy(stepped);
    p.copy(a);
    p.integer(3);
    p.vec(3, 5, 3, 0);
    p.logVector(stepped, 3, 2);
    const int range = p.vector(4);
    p.copy(range);
    p.copy(a);
    p.integer(3);
    p.integer(-1);
    p.vec(3, 28, 4, 0);
    p.logVector(range, 3, 3);
    const int outside = p.vector(4);
    p.copy(outside);
    p.copy(a);
    p.integer(4);
    p.integer(5);
    p.vec(3, 28, 4, 0);
    p.logVector(outside, 3, 0);
    EXPECT_EQ(run(p).log, ints({5, 0, 1, 2, 3, 4, 2, 0, 3, 3, 3, 4, 9, 0}));
}

TEST(VectorCreation, FilledAndSingleVectorsOfMultiWordElements)
{
    Program p;
    const int filled = p.vector(8);
    p.copy(filled);
    pushElement(p, {1, 2});
    p.integer(3);
    p.vec(4, 3, 4, 0);
    p.logVector(filled, 4, 3);
    const int none = p.vector(8);
    p.copy(none);
    pushElement(p, {1, 2});
    p.integer(0);
    p.vec(4, 3, 4, 0);
    p.copy(none);
    p.vec(4, 12, 1, 1);
    p.logInt();
    const int single = p.vector(12);
    p.copy(single);
    pushElement(p, {7, 8, 9});
    p.vec(5, 29, 4, 0);
    p.logVector(single, 5, 1);
    p.copy(filled);
    pushElement(p, {1, 2});
    p.integer(-1);
    p.vec(4, 3, 4, 0);
    EXPECT_EQ(run(p).log, ints({3, 1, 2, 1, 2, 1, 2, 1, 1, 7, 8, 9}) + error(6, "InvalidArgumentException"));
}

TEST(VectorCreation, BadStepsAndRanges)
{
    for (const auto& [native, args, code] : std::vector<std::tuple<int, Element, int>>{
             {5, {0}, 6}, {5, {-3}, 6}, {28, {-1, 2}, 5}}) {
        Program p;
        const int a = makeInts(p, {1, 2, 3});
        const int res = p.vector(4);
        p.copy(res);
        p.copy(a);
        pushElement(p, args);
        p.vec(3, native, 2 + int(args.size()), 0);
        EXPECT_EQ(run(p).log.back(), std::to_string(code)) << native;
    }
}

TEST(VectorAccess, ByteElementsAreSignExtendedAndWrittenInPlace)
{
    Program p;
    const int v = makeVector(p, 1, {{200}, {-1}, {0x17F}});
    p.logVector(v, 1, 3);
    p.copy(v);
    p.integer(1);
    p.vec(1, 6, 2, 1); // byte address of element 1
    p.integer(0x41);
    p.line("bstore", -2);
    p.copy(v);
    p.integer(1);
    p.vec(1, 8, 2, 2);
    p.logInt();
    p.drop();
    EXPECT_EQ(run(p).log, ints({3, -56, -1, 127, 0x41}));
}

TEST(VectorAccess, WordElementAddressesLoadAndStore)
{
    Program p;
    const int v = makeVector(p, 4, {{1, 2}, {3, 4}});
    p.copy(v);
    p.integer(1);
    p.vec(4, 6, 2, 1); // address of element 1
    const int address = p.depth() - 1;
    p.copy(address);
    p.integer(4);
    p.line("add", -1);
    p.line("load", 0);
    p.logInt(); // its second word
    p.integer(30);
    p.line("store", -2);
    p.logVector(v, 4, 2);
    p.copy(v);
    p.integer(2);
    p.vec(4, 6, 2, 1);
    EXPECT_EQ(run(p).log, ints({4, 2, 1, 2, 30, 4}) + error(2, "IndexOutOfBoundsException"));
}

TEST(VectorAccess, FirstLastCountAndEmptinessOfThreeWordElements)
{
    Program p;
    const int v = makeVector(p, 5, {{1, 2, 3}, {4, 5, 6}});
    for (int native : {9, 10}) {
        p.copy(v);
        p.vec(5, native, 1, 3);
        const int first = p.depth() - 3;
        for (int k = 0; k < 3; ++k) {
            p.copy(first + k);
            p.logInt();
        }
        p.drop(3);
    }
    p.copy(v);
    p.vec(5, 11, 1, 1);
    p.logInt();
    p.copy(v);
    p.vec(5, 12, 1, 1);
    p.logInt();
    const int empty = p.vector(12);
    p.copy(empty);
    p.vec(5, 12, 1, 1);
    p.logInt();
    p.copy(empty);
    p.vec(5, 10, 1, 3);
    EXPECT_EQ(run(p).log, ints({1, 2, 3, 4, 5, 6, 2, 0, 1}) + error(2, "IndexOutOfBoundsException"));
}

TEST(VectorAccess, ReferenceElementsAndTheirAddresses)
{
    Program p;
    const int v = p.vector(4, true);
    for (const char* text : {"zero", "one"}) {
        p.copy(v);
        p.text(text);
        p.vec(7, 19, 2, 0);
    }
    p.copy(v);
    p.integer(1);
    p.vec(7, 6, 2, 1); // the element itself
    p.logText();
    p.copy(v);
    p.integer(0);
    p.vec(7, 7, 2, 1); // its address
    p.line("load", 0);
    p.logText();
    p.copy(v);
    p.integer(0);
    p.vec(7, 8, 2, 1); // the element in place of the vector
    p.logText();
    p.copy(v);
    p.integer(2);
    p.vec(7, 7, 2, 1);
    EXPECT_EQ(run(p).log, (Lines{"one", "zero", "zero"}) + error(2, "IndexOutOfBoundsException"));
}

TEST(VectorAccess, FourWordElementsGrowTheStackOnRead)
{
    Program p;
    const int v = makeVector(p, 6, {{1, 2, 3, 4}});
    p.copy(v);
    pushElement(p, {5, 6, 7, 8});
    p.integer(0);
    p.vec(6, 15, 6, 0); // insert before 0
    p.copy(v);
    pushElement(p, {9, 9, 9, 9});
    p.vec(6, 17, 5, 0); // prepend
    p.logVector(v, 6, 3);
    EXPECT_EQ(run(p).log, ints({3, 9, 9, 9, 9, 5, 6, 7, 8, 1, 2, 3, 4}));
}

TEST(VectorInsertion, OtherVectorsRangesValuesAndPositions)
{
    EXPECT_EQ(intsWithOther({1, 2, 3}, 13, {}, {7, 8}, {1}, 5), ints({5, 1, 7, 8, 2, 3}));
    EXPECT_EQ(intsWithOther({1, 2, 3}, 13, {}, {7, 8}, {4}, 0), error(2, "IndexOutOfBoundsException"));
    EXPECT_EQ(intsWithOther({1, 2, 3}, 14, {}, {7, 8, 9}, {1, -1, 3}, 5), ints({5, 1, 2, 3, 8, 9}));
    EXPECT_EQ(intsWithOther({1, 2, 3}, 14, {}, {7, 8, 9}, {2, 5, 0}, 3), ints({3, 1, 2, 3})) << "range outside";
    EXPECT_EQ(intsWithOther({1, 2, 3}, 14, {}, {7, 8, 9}, {1, 0, 0}, 3), ints({3, 1, 2, 3})) << "empty range";
    EXPECT_EQ(intsWithOther({1, 2, 3}, 14, {}, {7, 8, 9}, {-1, 1, 0}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsWithOther({1, 2, 3}, 14, {}, {7, 8, 9}, {0, 1, 9}, 0), error(2, "IndexOutOfBoundsException"));
    EXPECT_EQ(intsWithOther({1, 2}, 16, {}, {7, 8}, {}, 4), ints({4, 7, 8, 1, 2}));
    EXPECT_EQ(intsWithOther({1, 2}, 18, {}, {7, 8}, {}, 4), ints({4, 1, 2, 7, 8}));
    EXPECT_EQ(intsWithOther({}, 18, {}, {7}, {}, 1), ints({1, 7}));
    EXPECT_EQ(intsAfter({1, 2}, 17, {0}, 3), ints({3, 0, 1, 2}));
    EXPECT_EQ(intsAfter({1, 2}, 15, {5, 2}, 3), ints({3, 1, 2, 5}));
    EXPECT_EQ(intsAfter({1, 2}, 15, {5, -1}, 0), error(2, "IndexOutOfBoundsException"));
}

TEST(VectorInsertion, AVectorIntoItselfAndGrowthPastTheCapacity)
{
    Program p;
    const int v = makeInts(p, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    p.copy(v);
    p.copy(v);
    p.vec(3, 18, 2, 0); // 20 elements: new storage
    p.copy(v);
    p.copy(v);
    p.integer(0);
    p.vec(3, 13, 3, 0); // 40
    p.copy(v);
    p.vec(3, 11, 1, 1);
    p.logInt();
    p.copy(v);
    p.integer(39);
    p.vec(3, 8, 2, 2);
    p.logInt();
    p.drop();
    EXPECT_EQ(run(p).log, ints({40, 10}));
}

TEST(VectorInsertion, RepeatInPlace)
{
    EXPECT_EQ(intsAfter({1, 2}, 20, {3}, 6), ints({6, 1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(intsAfter({1, 2}, 20, {1}, 2), ints({2, 1, 2}));
    EXPECT_EQ(intsAfter({1, 2}, 20, {0}, 0), ints({0}));
    EXPECT_EQ(intsAfter({1, 2}, 20, {-1}, 0), error(6, "InvalidArgumentException"));
    EXPECT_EQ(intsAfter({}, 20, {5}, 0), ints({0}));
}

TEST(VectorRemoval, ElementsRangesHeadsAndTails)
{
    EXPECT_EQ(intsAfter({1, 2, 3}, 21, {1}, 2), ints({2, 1, 3}));
    EXPECT_EQ(intsAfter({1, 2, 3}, 21, {3}, 0), error(2, "IndexOutOfBoundsException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 22, {2, -1}, 2), ints({2, 0, 1}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 22, {1, 2}, 3), ints({3, 0, 3, 4}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 22, {0, -1}, 0), ints({0}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 22, {5, -1}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 22, {1, 0}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 22, {3, 3}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 23, {0}, 5), ints({5, 0, 1, 2, 3, 4}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 23, {2}, 3), ints({3, 2, 3, 4}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 23, {5}, 0), ints({0}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 23, {6}, 0), error(6, "InvalidArgumentException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 24, {2}, 3), ints({3, 0, 1, 2}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 24, {-1}, 0), error(6, "InvalidArgumentException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 25, {}, 0), ints({0}));
}

TEST(VectorReplacement, RangesByOtherVectorsAndValues)
{
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 26, {1, 2}, {7, 8, 9}, {}, 6), ints({6, 0, 7, 8, 9, 3, 4}));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 26, {1, 2}, {}, {}, 3), ints({3, 0, 3, 4})) << "empty other removes";
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 26, {7, 1}, {9}, {}, 5), ints({5, 0, 1, 2, 3, 4})) << "beyond the end";
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 26, {7, 1}, {}, {}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 26, {0, -1}, {7, 8}, {}, 2), ints({2, 7, 8})) << "whole vector";
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 26, {-1, 1}, {7}, {}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 27, {1, 3, 9}, 3), ints({3, 0, 9, 4}));
    EXPECT_EQ(intsAfter({0, 1, 2, 3, 4}, 27, {4, -1, 9}, 5), ints({5, 0, 1, 2, 3, 9}));
}

TEST(VectorReplacement, CheckedRangesOf81)
{
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 81, {1, -1}, {7}, {}, 2), ints({2, 0, 7}));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 81, {2, 0}, {7, 8}, {}, 7), ints({7, 0, 1, 7, 8, 2, 3, 4}));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 81, {5, 0}, {7}, {}, 6), ints({6, 0, 1, 2, 3, 4, 7}));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 81, {3, 3}, {7}, {}, 0),
              error(5, "RangeException: Invalid Range, range out of bounds: 6 > 5"));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 81, {-1, 0}, {7}, {}, 0),
              error(5, "RangeException: Invalid Range, first should be non-negative (first=-1)"));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 81, {6, -1}, {7}, {}, 0),
              error(5, "RangeException: Invalid Range, first should not be more than 5, first = 6"));
}

TEST(VectorReplacement, RangesOfOtherIn83)
{
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 83, {1, 2}, {7, 8, 9}, {1, 2}, 5), ints({5, 0, 8, 9, 3, 4}));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 83, {1, 0}, {7, 8, 9}, {0, 2}, 7), ints({7, 0, 7, 8, 1, 2, 3, 4}));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 83, {1, 0}, {7, 8, 9}, {-1, 2}, 0), error(5, "RangeException"));
    EXPECT_EQ(intsWithOther({0, 1, 2, 3, 4}, 83, {-1, 2}, {7, 8, 9}, {0, 2}, 0), error(5, "RangeException"));
}

TEST(VectorRanges, BoxedRangesOf82And84)
{
    Program p;
    const int a = makeInts(p, {1, 2, 3});
    const int b = makeInts(p, {7, 8, 9});
    p.copy(a);
    p.integer(1);
    p.integer(-1);
    p.vec(3, 82, 3, 1); // a box holding the vector: its word 0 is the vector, as in a handle
    p.logVector(p.depth() - 1, 3, 2);
    p.copy(a);
    p.integer(0);
    p.integer(1);
    p.copy(b);
    p.integer(1);
    p.integer(2);
    p.vec(3, 84, 6, 1);
    p.logVector(p.depth() - 1, 3, 3);
    p.copy(a);
    p.integer(2);
    p.integer(2);
    p.vec(3, 82, 3, 1);
    EXPECT_EQ(run(p).log,
              ints({2, 2, 3, 3, 7, 2, 3}) + error(5, "RangeException: Invalid Range, range out of bounds: 4 > 3"));

    Program negative;
    const int x = makeInts(negative, {1});
    negative.copy(x);
    negative.integer(0);
    negative.integer(1);
    negative.copy(x);
    negative.integer(-1);
    negative.integer(1);
    negative.vec(3, 84, 6, 1);
    EXPECT_EQ(run(negative).log, error(5, "RangeException"));
}

TEST(VectorErrors, BadHandlesAndUndefinedNumbers)
{
    for (int native : {0, 30, 80, 85, 127, -1}) {
        Program p;
        p.vec(3, native, 0, 0);
        EXPECT_EQ(run(p).log, error(10, "VMException: Vector:2")) << native;
    }
    Program null;
    null.integer(0);
    null.vec(3, 11, 1, 1);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));

    Program noVector; // a handle whose word 0 is still 0
    noVector.line("new 6, 2", 1);
    noVector.vec(3, 11, 1, 1);
    EXPECT_EQ(run(noVector).log, error(1, "NullPointerException"));

    Program wrongKind; // a byte vector used by a word group, a string used as a vector
    const int bytes = wrongKind.vector(1);
    wrongKind.copy(bytes);
    wrongKind.vec(4, 11, 1, 1);
    EXPECT_EQ(run(wrongKind).log.back(), "10");
    Program text;
    text.text("abc");
    text.vec(3, 11, 1, 1);
    EXPECT_EQ(run(text).log.back(), "10");
}

TEST(VectorErrors, ReservedNumbersStopTheMachine)
{
    Program one;
    one.vec(3, 1, 0, 0);
    const RunResult first = run(one);
    EXPECT_TRUE(first.stopped);
    EXPECT_EQ(first.status, 1);
    EXPECT_NE(first.stopMessage.find("EFalse"), std::string::npos) << first.stopMessage;

    Program primitiveAddress;
    const int v = makeInts(primitiveAddress, {1});
    primitiveAddress.copy(v);
    primitiveAddress.integer(0);
    primitiveAddress.vec(3, 7, 2, 1);
    const RunResult second = run(primitiveAddress);
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.stopMessage.find("!bPrimitive"), std::string::npos) << second.stopMessage;

    Program reserved;
    reserved.vec(2, 5, 0, 0);
    EXPECT_EQ(run(reserved).status, 1);
}

// Element reads (8) and appends (19) take a shorter path than the other
// numbers; every bad argument still ends in the same error, and a vector of
// another kind met right after a good one is still refused.
TEST(VectorErrors, AddressesReadsAndAppendsCheckTheirArguments)
{
    enum Handle { Null, Empty, OutsideArena, Text, OtherKind, Good };
    struct Case {
        Handle handle;
        int function;
        TWord index; // for reads
        int code;
    };
    const Case cases[] = {
        {Null, 8, 0, 1},          {Null, 19, 0, 1},         {Empty, 8, 0, 1},
        {Empty, 19, 0, 1},        {OutsideArena, 8, 0, 10}, {OutsideArena, 19, 0, 10},
        {Text, 8, 0, 10},         {Text, 19, 0, 10},        {OtherKind, 8, 0, 10},
        {OtherKind, 19, 0, 10},   {Good, 8, 1, 2},          {Good, 8, -1, 2},
        {Null, 6, 0, 1},          {Empty, 6, 0, 1},         {OutsideArena, 6, 0, 10},
        {Text, 6, 0, 10},         {OtherKind, 6, 0, 10},    {Good, 6, 1, 2},
        {Good, 6, -1, 2},         {Good, 6, 0x7FFFFFFF, 2},
    };
    for (int group : {1, 3, 7})
        for (const Case& c : cases) {
            Program p;
            const int good = makeVector(p, group, {{5}});
            p.copy(good);
            p.integer(0);
            p.vec(group, 8, 2, group == 7 ? 1 : 2); // the good vector is resolved first
            p.drop(group == 7 ? 1 : 2);
            int handle = good;
            switch (c.handle) {
            case Null: handle = p.integer(0); break;
            case Empty: p.line("new 6, 2", 1); handle = p.depth() - 1; break;
            case OutsideArena: handle = p.integer(0x7FFFFFF0); break;
            case Text: handle = p.text("abc"); break;
            case OtherKind: handle = p.vector(group == 1 ? 4 : 1); break;
            case Good: break;
            }
            p.copy(handle);
            p.integer(c.function == 19 ? 9 : c.index);
            p.vec(group, c.function, 2, 0);
            const RunResult result = run(p);
            ASSERT_FALSE(result.log.empty());
            EXPECT_EQ(result.log.back(), std::to_string(c.code))
                << "group " << group << " function " << c.function << " handle " << c.handle;
        }
}
