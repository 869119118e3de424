#include "ServicesTestSupport.h"

#include <chrono>
#include <thread>

namespace {

struct ExitCalled {};

// Records the exit request instead of ending the test process.
class NoExitServices : public BasicFrameworkServices {
public:
    using BasicFrameworkServices::BasicFrameworkServices;
    [[noreturn]] void exit(int) override { throw ExitCalled {}; }
};

std::string logged(BasicFrameworkServices& services, const OString& message)
{
    testing::internal::CaptureStderr();
    services.log(message);
    return testing::internal::GetCapturedStderr();
}

} // namespace

class LogAndTimeTest : public ServicesTest {};

TEST_F(LogAndTimeTest, StandardErrorGetsTheLowByteOfEachUnit)
{
    EXPECT_EQ(logged(*services, S("hello")), "LOG: hello\n");
    EXPECT_EQ(logged(*services, OString::fromU16(u"\u00e9\u0141")), "LOG: \xe9\x41\n");
    EXPECT_EQ(logged(*services, OString()), "LOG: \n");
}

TEST_F(LogAndTimeTest, LogFileGetsUtf8LinesAndSkipsEmptyMessages)
{
    ASSERT_TRUE(services->setLogFile(S("logs//app.log")));
    logged(*services, S("one"));
    logged(*services, OString());
    logged(*services, OString::fromU16(u"\u00e9"));
    ASSERT_TRUE(services->setLogFile(OString())); // closes the file
    EXPECT_EQ(readFile("logs/app.log"), "LOG: one\nLOG: \xc3\xa9\n");
}

TEST_F(LogAndTimeTest, EmptyLogFileNameStopsFileLoggingOnly)
{
    ASSERT_TRUE(services->setLogFile(S("app.log")));
    logged(*services, S("kept"));
    ASSERT_TRUE(services->setLogFile(OString()));
    EXPECT_EQ(logged(*services, S("later")), "LOG: later\n");
    EXPECT_EQ(readFile("app.log"), "LOG: kept\n");
}

TEST_F(LogAndTimeTest, NewLogFileTruncatesAndReplacesThePrevious)
{
    writeFile("b.log", "old");
    ASSERT_TRUE(services->setLogFile(S("a.log")));
    logged(*services, S("to a"));
    ASSERT_TRUE(services->setLogFile(S("b.log")));
    logged(*services, S("to b"));
    services->setLogFile(OString());
    EXPECT_EQ(readFile("a.log"), "LOG: to a\n");
    EXPECT_EQ(readFile("b.log"), "LOG: to b\n");
}

TEST_F(LogAndTimeTest, UnopenableLogFileFailsButLoggingGoesOn)
{
    writeFile("blocker", "x"); // a file where a directory would be needed
    EXPECT_FALSE(services->setLogFile(S("blocker/app.log")));
    EXPECT_EQ(logged(*services, S("still")), "LOG: still\n");
}

TEST_F(LogAndTimeTest, UptimeCountsFromStartAndClockIsWallTime)
{
    const TInt64 uptime = services->uptimeMillis();
    EXPECT_GE(uptime, 0);
    EXPECT_LT(uptime, 5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(services->uptimeMillis(), 20);
    services->start();
    EXPECT_LT(services->uptimeMillis(), 20);

    const TInt64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    EXPECT_NEAR(double(services->currentTimeMillis()), double(now), 1000.0);
}

TEST_F(LogAndTimeTest, ScreenSizeFollowsOrientation)
{
    int width = 0, height = 0;
    EXPECT_EQ(services->getOrientation(), 2);
    services->getScreenSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 480);
    services->setOrientation(1);
    services->getScreenSize(width, height);
    EXPECT_EQ(width, 480);
    EXPECT_EQ(height, 800);
    services->setOrientation(7);
    EXPECT_EQ(services->getOrientation(), 7);
    services->getScreenSize(width, height);
    EXPECT_EQ(width, 480);
}

TEST_F(LogAndTimeTest, FixedAnswersOfThePlatform)
{
    EXPECT_EQ(services->pathSeparator().toVUvar().toLatin1(), "/");
    EXPECT_EQ(services->platformName().toVUvar().toLatin1(), "maemo");
    EXPECT_EQ(services->systemValueA(5), 0);
    EXPECT_EQ(services->systemValueB(5), 0);
}

TEST_F(LogAndTimeTest, ExitIsOverridable)
{
    NoExitServices noExit(Str16("/tmp"));
    EXPECT_THROW(noExit.exit(0), ExitCalled);
}
