// Lumbra::DateTime in a zone that is not UTC: construction checks, setters,
// shifting, conversion, comparison across zones and the text form.
#include "values/DateTime.h"

#include "VMError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using Lumbra::DateTime;

namespace {

class DateTimeTest : public ::testing::Test {
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

    static DateTime make(TInt32 d, TInt32 mo, TInt32 y, TInt32 h, TInt32 mi, TInt32 s, TInt32 tz)
    {
        return DateTime::fromValues({d, mo, y, h, mi, s, tz});
    }

    // The error code and message a call raises ("" and 0 when none).
    static std::pair<int, std::string> failure(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const Lumbra::ErrorHandlingException&) {
            return {Lumbra::lastErrorCode(), Lumbra::u16ToUtf8(Lumbra::lastErrorMessage())};
        }
        return {0, ""};
    }
};

using Failure = std::pair<int, std::string>;

} // namespace

TEST_F(DateTimeTest, ConstructionChecksInOrder)
{
    EXPECT_EQ(failure([] { make(1, 1, 2000, 24, 0, 0, 0); }), Failure(6, "InvalidArgumentException: Invalid hour"));
    EXPECT_EQ(failure([] { make(1, 0, 2000, 0, 0, 0, 0); }), Failure(6, "InvalidArgumentException: Invalid month"));
    EXPECT_EQ(failure([] { make(1, 0, 10000, 0, 0, 0, 0); }), Failure(6, "InvalidArgumentException: Invalid year"));
    EXPECT_EQ(failure([] { make(-1, 1, 2000, 0, 0, 0, 0); }), Failure(6, "InvalidArgumentException: Invalid day"));
    EXPECT_EQ(failure([] { make(1, 1, 2000, 0, 60, 0, 0); }), Failure(6, "InvalidArgumentException: Invalid minute"));
    EXPECT_EQ(failure([] { make(1, 1, 2000, 0, 0, 60, 0); }), Failure(6, "InvalidArgumentException: Invalid second"));
    EXPECT_EQ(failure([] { make(1, 1, 2000, 0, 0, 0, 2); }), Failure(6, "InvalidArgumentException: Invalid timezone"));
    EXPECT_EQ(failure([] { make(31, 4, 2021, 0, 0, 0, 0); }), Failure(6, "InvalidArgumentException: Invalid day"));
    EXPECT_EQ(failure([] { make(29, 2, 2023, 0, 0, 0, 1); }), Failure(6, "InvalidArgumentException: Invalid day"));
    EXPECT_EQ(make(29, 2, 2024, 0, 0, 0, 1).text(), "2024-02-29 00:00:00Z");
}

TEST_F(DateTimeTest, TextPadsEveryField)
{
    EXPECT_EQ(make(2, 1, 5, 3, 4, 5, 0).text(), "0005-01-02 03:04:05");
    EXPECT_EQ(make(2, 1, 999, 3, 4, 5, 0).text(), "0999-01-02 03:04:05");
    EXPECT_EQ(make(7, 3, 2010, 9, 5, 0, 1).text(), "2010-03-07 09:05:00Z");
}

TEST_F(DateTimeTest, ShiftingCrossesYearsAndDaylightSaving)
{
    DateTime dt = make(31, 12, 1999, 23, 59, 59, 1);
    dt.addSeconds(1);
    EXPECT_EQ(dt.text(), "2000-01-01 00:00:00Z");
    DateTime local = make(27, 3, 2021, 12, 0, 0, 0);
    local.addSeconds(86400); // the clocks go forward one hour that night
    EXPECT_EQ(local.text(), "2021-03-28 13:00:00");
    dt.addSeconds(-(TInt64(90) * 60));
    EXPECT_EQ(dt.text(), "1999-12-31 22:30:00Z");
    DateTime far = make(1, 1, 9999, 0, 0, 0, 1);
    EXPECT_EQ(failure([&] { far.addSeconds(TInt64(400) * 86400); }).first, 6) << "beyond year 9999";
    EXPECT_EQ(far.text(), "9999-01-01 00:00:00Z") << "unchanged";
}

TEST_F(DateTimeTest, SettersKeepTheOtherFields)
{
    DateTime dt = make(31, 1, 2021, 10, 20, 30, 0);
    dt.setField(DateTime::Hour, 23);
    dt.setField(DateTime::Second, 0);
    dt.setField(DateTime::Year, 2024);
    EXPECT_EQ(dt.text(), "2024-01-31 23:20:00");
    EXPECT_EQ(failure([&] { dt.setField(DateTime::Minute, 60); }), Failure(6, "InvalidArgumentException"));
    EXPECT_EQ(failure([&] { dt.setField(DateTime::Month, 2); }).first, 6) << "31 February";
    EXPECT_EQ(dt.text(), "2024-01-31 23:20:00") << "nothing changed";
    dt.setField(DateTime::Day, 29);
    dt.setField(DateTime::Month, 2);
    EXPECT_EQ(dt.field(DateTime::Month), 2);
    EXPECT_EQ(dt.field(DateTime::Day), 29);
}

TEST_F(DateTimeTest, ConversionAndComparisonAcrossZones)
{
    DateTime utc = make(15, 6, 2020, 12, 0, 0, 1);
    DateTime local = utc;
    local.convertTo(DateTime::LOCAL);
    EXPECT_EQ(local.text(), "2020-06-15 15:00:00") << "summer time, UTC+3";
    EXPECT_EQ(local.getTimezone(), 0);
    EXPECT_EQ(utc.compareTo(local), 0);
    EXPECT_EQ(local.compareTo(utc), 0);
    DateTime winter = make(15, 1, 2020, 12, 0, 0, 0);
    winter.convertTo(DateTime::UTC);
    EXPECT_EQ(winter.text(), "2020-01-15 10:00:00Z");
    EXPECT_LT(winter.compareTo(local), 0);
    EXPECT_GT(local.compareTo(winter), 0);
    DateTime same = local;
    same.convertTo(DateTime::LOCAL);
    EXPECT_EQ(same.text(), local.text());
    EXPECT_EQ(failure([&] { same.convertTo(2); }).first, 6);
}

TEST_F(DateTimeTest, NowFollowsTheClock)
{
    const std::time_t before = std::time(nullptr);
    const DateTime utc = DateTime::now(DateTime::UTC);
    const DateTime local = DateTime::now(DateTime::LOCAL);
    std::tm broken{};
    gmtime_r(&before, &broken);
    EXPECT_EQ(utc.field(DateTime::Year), broken.tm_year + 1900);
    const DateTime later = DateTime::now(DateTime::UTC);
    EXPECT_LE(utc.compareTo(local), 0);
    EXPECT_GE(later.compareTo(local), 0);
    EXPECT_NE(utc.field(DateTime::Hour), local.field(DateTime::Hour)) << "Helsinki is never at UTC";
    EXPECT_EQ(failure([] { DateTime::now(3); }).first, 6);
}
