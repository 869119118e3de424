// Assembled programs calling the DateTime natives and System function 9, run
// with the process in a zone that is not UTC.
#include "NumbersProgram.h"

#include <cstdlib>
#include <ctime>

using namespace NumbersTest;

namespace {

class DateTimeProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Helsinki", 1);
        tzset();
    }
    void TearDown() override
    {
        unsetenv("TZ");
        tzset();
    }
};

// A new DateTime from values in a new box; answers the box's position.
int newDate(Program& p, std::initializer_list<TWord> values)
{
    const int box = p.resultBox();
    p.copy(box);
    pushWords(p, values);
    p.vec(29, 4, 8, 0);
    return box;
}

void logDate(Program& p, int box)
{
    p.copy(box);
    p.vec(29, 21, 1, 1);
    p.logText();
}

} // namespace

TEST_F(DateTimeProgram, ConstructShiftAndRead)
{
    Program p;
    const int dt = newDate(p, {31, 12, 1999, 23, 59, 59, 1});
    p.copy(dt);
    pushWords(p, {0, 0, 0, 1});
    p.vec(29, 5, 5, 0);
    logDate(p, dt);
    p.copy(dt);
    pushWords(p, {1, 0, 90, 0}); // one day and ninety minutes back
    p.vec(29, 6, 5, 0);
    logDate(p, dt);
    for (int native = 7; native <= 13; ++native) {
        p.copy(dt);
        p.vec(29, native, 1, 1);
        p.logInt();
    }
    EXPECT_EQ(run(p).log, (Lines{"2000-01-01 00:00:00Z", "1999-12-30 22:30:00Z", "30", "12", "1999", "22", "30",
                                 "0", "1"}));
}

TEST_F(DateTimeProgram, SettersConversionAndErrors)
{
    Program p;
    const int dt = newDate(p, {15, 6, 2020, 12, 0, 0, 1});
    const std::pair<int, TWord> sets[] = {{14, 16}, {15, 7}, {16, 2021}, {17, 8}, {18, 9}, {19, 10}};
    for (const auto& [native, value] : sets) {
        p.copy(dt);
        p.integer(value);
        p.vec(29, native, 2, 0);
    }
    logDate(p, dt);
    p.copy(dt);
    p.integer(0);
    p.vec(29, 20, 2, 0);
    logDate(p, dt);
    p.copy(dt);
    p.integer(2);
    p.vec(29, 20, 2, 0);
    EXPECT_EQ(run(p).log, (Lines{"2021-07-16 08:09:10Z", "2021-07-16 11:09:10", "InvalidArgumentException", "6"}));

    Program hour;
    newDate(hour, {1, 1, 2000, 24, 0, 0, 0});
    EXPECT_EQ(run(hour).log, error(6, "InvalidArgumentException: Invalid hour"));
    Program day;
    newDate(day, {31, 4, 2021, 0, 0, 0, 0});
    EXPECT_EQ(run(day).log, error(6, "InvalidArgumentException: Invalid day"));
    Program null;
    null.integer(0);
    null.vec(29, 7, 1, 1);
    EXPECT_EQ(run(null).log, error(1, "NullPointerException: NULL pointer"));
    Program empty;
    empty.resultBox();
    empty.vec(29, 9, 1, 1);
    EXPECT_EQ(run(empty).log, error(1, "NullPointerException: NULL pointer"));
}

TEST_F(DateTimeProgram, ComparisonsAcrossZonesAndIdentity)
{
    Program p;
    const int utc = newDate(p, {15, 1, 2020, 12, 0, 0, 1});
    const int local = newDate(p, {15, 1, 2020, 14, 0, 0, 0}); // the same instant
    const int later = newDate(p, {15, 1, 2020, 14, 0, 1, 0});
    const int copy = p.resultBox();
    p.copy(copy);
    p.copy(utc);
    p.vec(29, 2, 2, 0);
    for (int native = 22; native <= 29; ++native) {
        for (const auto& [a, b] : {std::pair{utc, local}, std::pair{local, later}, std::pair{utc, copy}, std::pair{utc, utc}}) {
            p.copy(a);
            p.copy(b);
            p.vec(29, native, 2, 1);
            p.logInt();
        }
    }
    // pairs: (utc, local) equal instants, (local, later) less, (utc, copy) equal values, (utc, utc) same object
    const Lines expected = ints({0, 0, 0, 1, /*22 same*/ 1, 1, 1, 0, /*23*/ 1, 0, 1, 1, /*24 ==*/ 0, 1, 0, 0, /*25 !=*/
                                 0, 1, 0, 0, /*26 <*/ 1, 1, 1, 1, /*27 <=*/ 0, 0, 0, 0, /*28 >*/ 1, 0, 1, 1 /*29 >=*/});
    EXPECT_EQ(run(p).log, expected);
}

TEST_F(DateTimeProgram, CurrentTimeFromSystemAndDateTimeNatives)
{
    Program p;
    const int box = p.resultBox();
    p.copy(box);
    p.vec(29, 1, 1, 0);
    p.integer(1);
    p.vec(32, 9, 1, 1);
    const int utc = p.depth() - 1;
    p.copy(utc);
    p.vec(29, 13, 1, 1);
    p.logInt();
    p.copy(box);
    p.copy(utc);
    p.vec(29, 27, 2, 1); // local now <= utc now taken later
    p.logInt();
    p.copy(utc);
    p.vec(29, 9, 1, 1);
    p.logInt();
    p.integer(2);
    p.vec(32, 9, 1, 1);
    std::tm broken{};
    const std::time_t now = std::time(nullptr);
    gmtime_r(&now, &broken);
    EXPECT_EQ(run(p).log, ints({1, 1, broken.tm_year + 1900}) + error(6, "InvalidArgumentException"));
}
