// Assembled programs calling the Long, Fixed, Math, Number and Byte natives:
// stack effects, results and errors.
#include "NumbersProgram.h"

#include <cmath>
#include <set>
#include <tuple>

using namespace NumbersTest;

namespace {

// Runs Long `native` on two Long variables (b may be an int count) and logs the new Long.
Lines longOf(int native, TInt64 a, TInt64 b, bool intB = false)
{
    Program p;
    const int ra = pushLong(p, a);
    const int rb = intB ? p.integer(TWord(b)) : pushLong(p, b);
    p.copy(ra);
    p.copy(rb);
    p.vec(12, native, 2, 1);
    logLong(p);
    return run(p).log;
}

// Runs an assignment Long native on x and logs x afterwards.
Lines assigned(int native, TInt64 x, TInt64 b, bool intB = false)
{
    Program p;
    const int ref = pushLong(p, x);
    const int rb = intB ? p.integer(TWord(b)) : pushLong(p, b);
    p.copy(ref);
    p.copy(rb);
    p.vec(12, native, 2, 0);
    p.copy(ref);
    logLong(p);
    return run(p).log;
}

std::string text(TInt64 v) { return std::to_string(v); }

} // namespace

TEST(LongProgram, ArithmeticWrapsAndDividesTowardZero)
{
    EXPECT_EQ(longOf(5, INT64_MAX, 1), Lines{text(INT64_MIN)});
    EXPECT_EQ(longOf(6, 5, 7), Lines{"-2"});
    EXPECT_EQ(longOf(7, 0x100000000LL, 0x100000001LL), Lines{text(0x100000000LL)}) << "low 64 bits";
    EXPECT_EQ(longOf(8, 7, -2), Lines{"-3"});
    EXPECT_EQ(longOf(9, 7, -2), Lines{"1"});
    EXPECT_EQ(longOf(8, INT64_MIN, -1), Lines{text(INT64_MIN)}) << "wraps instead of trapping";
    EXPECT_EQ(longOf(9, INT64_MIN, -1), Lines{"0"});
    EXPECT_EQ(longOf(24, 0xF0F0, 0xFF00), Lines{text(0xF000)});
    EXPECT_EQ(longOf(25, 0xF0F0, 0xFF00), Lines{text(0xFFF0)});
    EXPECT_EQ(longOf(26, 0xF0F0, 0xFF00), Lines{text(0x0FF0)});
    EXPECT_TRUE(failedWith(longOf(8, 1, 0), 3, "DivisionByZeroException"));
    EXPECT_TRUE(failedWith(assigned(17, 1, 0), 3, "DivisionByZeroException"));
}

TEST(LongProgram, ShiftsIncludingOutOfRangeCounts)
{
    EXPECT_EQ(longOf(27, 1, 63, true), Lines{text(INT64_MIN)});
    EXPECT_EQ(longOf(28, -8, 1, true), Lines{"-4"});
    EXPECT_EQ(longOf(27, 1, 64, true), Lines{"0"});
    EXPECT_EQ(longOf(28, -8, 200, true), Lines{"-1"});
    EXPECT_EQ(longOf(28, 8, 64, true), Lines{"0"});
    EXPECT_EQ(longOf(27, 8, -2, true), Lines{"2"}) << "a negative count shifts the other way";
    EXPECT_EQ(longOf(28, 1, INT32_MIN, true), Lines{"0"});
    EXPECT_EQ(assigned(32, 3, 2, true), Lines{"12"});
    EXPECT_EQ(assigned(33, -12, 2, true), Lines{"-3"});
}

TEST(LongProgram, AssignmentsWriteTheLeftBlock)
{
    EXPECT_EQ(assigned(2, 5, 9), Lines{"9"});
    EXPECT_EQ(assigned(13, 5, 9), Lines{"14"});
    EXPECT_EQ(assigned(14, 5, 9), Lines{"-4"});
    EXPECT_EQ(assigned(15, 5, 9), Lines{"45"});
    EXPECT_EQ(assigned(16, -9, 2), Lines{"-4"});
    EXPECT_EQ(assigned(29, 6, 3), Lines{"2"});
    EXPECT_EQ(assigned(31, 6, 3), Lines{"5"});
    Program p; // 1 clears, 11 and 12 step, 10 makes a new negated block
    const int ref = pushLong(p, 41);
    p.copy(ref);
    p.vec(12, 11, 1, 0);
    p.copy(ref);
    logLong(p);
    p.copy(ref);
    p.vec(12, 10, 1, 1);
    logLong(p);
    p.copy(ref);
    p.vec(12, 12, 1, 0);
    p.copy(ref);
    p.vec(12, 1, 1, 0);
    p.copy(ref);
    logLong(p);
    EXPECT_EQ(run(p).log, (Lines{"42", "-42", "0"}));
}

TEST(LongProgram, ComparisonsLeaveTheResultAboveTheTop)
{
    for (const auto& [native, expected] : std::vector<std::pair<int, int>>{{18, 0}, {19, 1}, {20, 1}, {21, 1}, {22, 0}, {23, 0}}) {
        Program p;
        const int a = pushLong(p, -5);
        const int b = pushLong(p, 3);
        p.copy(a);
        p.copy(b);
        p.vec(12, native, 2, 1); // the top is a again
        p.line("pick 0", 1);     // the slot just above it
        p.logInt();
        p.copy(a);
        p.line("eq", -1);
        p.logInt();
        EXPECT_EQ(run(p).log, ints({expected, -1})) << native;
    }
}

TEST(LongProgram, ConversionsTextAndInvalidOperations)
{
    Program p;
    p.integer(-1);
    p.vec(12, 38, 1, 1);
    logLong(p);
    pushLong(p, 0x100000005LL);
    p.vec(12, 37, 1, 1);
    p.logInt();
    pushLong(p, INT64_MIN);
    logLong(p);
    p.vec(12, 35, 0, 0);
    EXPECT_EQ(run(p).log, (Lines{"-1", "5", text(INT64_MIN)}));

    EXPECT_TRUE(failedWith(longOf(4, 1, 1), 10, "VMException: Long:"));
    Program null;
    null.integer(0);
    logLong(null);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));
    Program wild;
    wild.integer(0x7FFFFFF0);
    logLong(wild);
    EXPECT_TRUE(failedWith(run(wild).log, 10, "VMException: invalid address"));
}

TEST(FixedProgram, ArithmeticAndComparisons)
{
    EXPECT_EQ(fixedResult(11, 9, {3 * ONE / 2, -2 * ONE}), Lines{"-3.0"});
    EXPECT_EQ(fixedResult(11, 10, {7 * ONE, 2 * ONE}), Lines{"3.5"});
    EXPECT_EQ(fixedResult(11, 7, {ORaw::GREATEST, ONE}), Lines{"2147483647.99999999976716935634613037109375"});
    EXPECT_EQ(fixedResult(11, 8, {ORaw::LEAST, ONE}), Lines{"-2147483648.0"});
    EXPECT_EQ(fixedResult(11, 6, {ORaw::GREATEST}), Lines{"-2147483648.0"});
    EXPECT_EQ(fixedResult(11, 5, {ORaw::LEAST}), fixedResult(11, 30, {}));
    EXPECT_EQ(fixedResult(11, 11, {-2 * ONE, 3 * ONE}), Lines{"-8.0"});
    EXPECT_EQ(fixedResult(11, 29, {}), Lines{"-2147483648.0"});
    EXPECT_TRUE(failedWith(fixedResult(11, 10, {ONE, 0}), 8, "MathException"));
    EXPECT_TRUE(failedWith(fixedResult(11, 11, {0, -ONE}), 8, "MathException"));
    for (int native = 18; native <= 23; ++native) {
        Program p;
        pushFixed(p, -ONE);
        pushFixed(p, ONE / 2);
        p.vec(11, native, 4, 1);
        p.logInt();
        const int expected[] = {0, 1, 1, 1, 0, 0};
        EXPECT_EQ(run(p).log, ints({expected[native - 18]})) << native;
    }
}

TEST(FixedProgram, ConversionsRoundingAndText)
{
    Program p;
    p.integer(0x1F0); // the low byte 0xF0 is -16
    p.vec(11, 2, 1, 2);
    logFixed(p);
    p.integer(-7);
    p.vec(11, 3, 1, 2);
    logFixed(p);
    p.text("  +3.25");
    p.vec(11, 4, 1, 2);
    logFixed(p);
    const int v = pushFixed(p, 5 * ONE / 2);
    for (int native : {26, 27, 28}) {
        p.copy(v);
        p.copy(v + 1);
        p.vec(11, native, 2, 1);
        p.logInt();
    }
    addressOf(p, v);
    p.integer(0);
    p.vec(11, 24, 2, 1);
    p.logText();
    EXPECT_EQ(run(p).log, (Lines{"-16.0", "-7.0", "3.25", "3", "3", "2", "3"}));

    EXPECT_EQ(intResult(11, 26, {TWord(0x66666666), -3}), ints({-3})) << "-2.6";
    EXPECT_EQ(intResult(11, 26, {TWord(0x99999999), -3}), ints({-2})) << "-2.4";
    EXPECT_EQ(intResult(11, 27, {1, 2}), ints({3})) << "ceiling of anything above 2";
    EXPECT_EQ(intResult(11, 28, {TWord(0x80000000), -1}), ints({-1})) << "floor of -0.5";
    Program bad;
    bad.text("-+2");
    bad.vec(11, 4, 1, 2);
    EXPECT_EQ(run(bad).log, error(4, "DataFormatException: "));
    Program nullText;
    nullText.integer(0);
    nullText.vec(11, 4, 1, 2);
    EXPECT_EQ(run(nullText).log, error(1, "NullPointerException: NULL pointer"));
    Program digits;
    addressOf(digits, pushFixed(digits, ONE));
    digits.integer(-2);
    digits.vec(11, 24, 2, 1);
    EXPECT_EQ(run(digits).log, error(6, "InvalidArgumentException"));
}

TEST(FixedProgram, VariablesThroughReferences)
{
    Program p;
    const int var = pushFixed(p, 10 * ONE);
    const int ref = addressOf(p, var);
    const std::pair<int, TInt64> steps[] = {{12, 2 * ONE}, {14, 3 * ONE}, {13, ONE}, {15, 4 * ONE}};
    for (const auto& [native, operand] : steps) {
        p.copy(ref);
        pushFixed(p, operand);
        p.vec(11, native, 3, 0);
    }
    p.copy(ref);
    p.vec(11, 16, 1, 0);
    p.copy(ref);
    p.vec(11, 1, 1, 2);
    logFixed(p);
    p.copy(ref);
    p.vec(11, 17, 1, 0);
    p.copy(ref);
    p.vec(11, 25, 1, 1);
    p.logText();
    // ((10 + 2) * 3 - 1) / 4 = 8.75, then + 1 and - 1
    EXPECT_EQ(run(p).log, (Lines{"9.75", "8.75"}));

    Program null;
    null.integer(0);
    pushFixed(null, ONE);
    null.vec(11, 12, 3, 0);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));
}

TEST(MathProgram, FunctionsWithinTolerance)
{
    const double ulp = 1.0 / 4294967296.0;
    auto value = [](const Lines& log) { return log.size() == 1 ? valueOf(log[0]) : NAN; };
    EXPECT_NEAR(value(fixedResult(26, 1, {ORaw::toFixed(1.5707963, 0)})), 1.0, ulp);
    EXPECT_NEAR(value(fixedResult(26, 2, {ORaw::PI})), -1.0, 2 * ulp);
    EXPECT_NEAR(value(fixedResult(26, 3, {ONE})), std::tan(1.0), 1e-8);
    EXPECT_NEAR(value(fixedResult(26, 4, {ONE / 2})), std::asin(0.5), 1e-8);
    EXPECT_NEAR(value(fixedResult(26, 5, {-ONE})), M_PI, 1e-8);
    EXPECT_NEAR(value(fixedResult(26, 6, {ONE})), M_PI / 4, 1e-8);
    EXPECT_NEAR(value(fixedResult(26, 7, {ORaw::PI})), 180.0, 1e-6);
    EXPECT_NEAR(value(fixedResult(26, 7, {-ORaw::TWO_PI - 0x1000})), -360.0, 1e-6) << "within the slack";
    // pi/180 is itself a 32-bit fraction: 90 of its rounding errors
    EXPECT_NEAR(value(fixedResult(26, 8, {-90 * ONE})), -M_PI / 2, 90 * ulp);
    EXPECT_NEAR(value(fixedResult(26, 9, {2 * ONE})), std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(value(fixedResult(26, 10, {8 * ONE, 2 * ONE})), 3.0, 1e-8);
    EXPECT_EQ(fixedResult(26, 10, {5 * ONE, 5 * ONE}), Lines{"1.0"});
    EXPECT_NEAR(value(fixedResult(26, 11, {ORaw::E})), 1.0, 1e-8);
    EXPECT_EQ(fixedResult(26, 20, {}), Lines{OFixed(ORaw::E).toText(-1)});
    EXPECT_EQ(fixedResult(26, 21, {}), Lines{OFixed(ORaw::PI).toText(-1)});
    EXPECT_EQ(fixedResult(26, 22, {}), Lines{"0.00000000023283064365386962890625"});
}

TEST(MathProgram, DomainErrors)
{
    const std::pair<int, std::vector<TInt64>> cases[] = {
        {5, {3 * ONE / 2}},          {4, {-ONE - 1}},          {9, {-ONE}},
        {11, {0}},                   {10, {8 * ONE, ONE}},     {10, {8 * ONE, 0}},
        {7, {7 * ONE}},              {8, {361 * ONE}},         {3, {ORaw::toFixed(M_PI / 2, 0) + 1}},
    };
    for (const auto& [native, args] : cases) {
        Program p;
        for (TInt64 a : args)
            pushFixed(p, a);
        p.vec(26, native, 2 * int(args.size()), 2);
        logFixed(p);
        EXPECT_EQ(run(p).log, error(8, "MathException")) << native;
    }
}

TEST(MathProgram, MinimumMaximumAndRandom)
{
    EXPECT_EQ(intResult(26, 14, {0x7F, 0x80}), ints({-128}));
    EXPECT_EQ(intResult(26, 17, {0x7F, 0x80}), ints({127}));
    EXPECT_EQ(intResult(26, 15, {-3, 2}), ints({-3}));
    EXPECT_EQ(intResult(26, 18, {-3, 2}), ints({2}));
    EXPECT_EQ(fixedResult(26, 16, {-ONE, ONE / 2}), Lines{"-1.0"});
    EXPECT_EQ(fixedResult(26, 19, {-ONE, ONE / 2}), Lines{"0.5"});
    EXPECT_EQ(intResult(26, 12, {7, 7}), ints({7}));

    Program p;
    for (int i = 0; i < 200; ++i) {
        pushWords(p, {5, 1});
        p.vec(26, 12, 2, 1);
        p.logInt();
        pushWords(p, {INT32_MIN, INT32_MAX});
        p.vec(26, 12, 2, 1);
        p.drop();
        pushFixed(p, -2 * ONE);
        pushFixed(p, 3 * ONE);
        p.vec(26, 13, 4, 2);
        logFixed(p);
        pushFixed(p, ORaw::LEAST);
        pushFixed(p, ORaw::GREATEST);
        p.vec(26, 13, 4, 2);
        p.drop(2);
    }
    const Lines log = run(p).log;
    ASSERT_EQ(log.size(), 400u);
    std::set<std::string> seen;
    for (size_t i = 0; i < log.size(); i += 2) {
        const int r = std::stoi(log[i]);
        EXPECT_TRUE(r >= 1 && r <= 5) << r;
        seen.insert(log[i]);
        const double f = valueOf(log[i + 1]);
        EXPECT_TRUE(f >= -2.0 && f < 3.0) << f;
    }
    EXPECT_EQ(seen.size(), 5u) << "every value of the range turns up";
}

TEST(NumberAndByteProgram, HelpersAndRejection)
{
    EXPECT_EQ(intResult(27, 1, {0x80}), ints({128}));
    EXPECT_EQ(intResult(27, 1, {0x105}), ints({5}));
    EXPECT_EQ(intResult(27, 2, {INT32_MIN}), ints({2147483647}));
    EXPECT_EQ(intResult(27, 2, {-9}), ints({9}));
    for (const auto& [value, radix, expected] : std::vector<std::tuple<TWord, TWord, std::string>>{
             {-1, 16, "ffffffff"}, {255, 2, "11111111"}, {0, 7, "0"}, {10, 1, ""}, {35, 36, "z"}}) {
        Program p;
        pushWords(p, {value, radix});
        p.vec(27, 3, 2, 1);
        p.logText();
        EXPECT_EQ(run(p).log, Lines{expected}) << value << " in " << radix;
    }
    EXPECT_TRUE(failedWith(intResult(27, 4, {1}), 10, "VMException: Number:"));
    EXPECT_TRUE(failedWith(intResult(9, 0, {1}), 10, "VMException: Byte:"));
    EXPECT_TRUE(failedWith(intResult(9, 3, {1}), 10, "VMException: Byte:"));
    EXPECT_TRUE(failedWith(intResult(26, 23, {1}), 10, "VMException: Math:"));
    EXPECT_TRUE(failedWith(intResult(11, 31, {1}), 10, "VMException: Fixed:"));
}
