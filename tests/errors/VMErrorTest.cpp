// Error codes, message composition and the per-thread last-error record.
#include "ErrorTestSupport.h"

#include <thread>

using namespace Lumbra;

TEST(VMErrorTest, NameTextsOfEveryCode)
{
    const std::pair<TInt32, std::u16string> names[] = {
        {1, u"NullPointerException"},     {2, u"IndexOutOfBoundsException"},
        {3, u"DivisionByZeroException"},  {4, u"DataFormatException: "},
        {5, u"RangeException"},           {6, u"InvalidArgumentException"},
        {7, u"IOException"},              {8, u"MathException"},
        {9, u"AssertionFailedException"}, {10, u"VMException"},
        {13, u"UnsupportedFeatureException"},
    };
    for (const auto& [code, text] : names) {
        EXPECT_EQ(errorNameText(code), text) << code;
        EXPECT_EQ(raisedMessage(code, [code = code] { raiseError(code); }), text);
    }
}

TEST(VMErrorTest, UnknownCodesNameTheirNumber)
{
    EXPECT_EQ(raisedMessage(11, [] { raiseError(11); }), u"UnknownException (CODE:11)");
    EXPECT_EQ(raisedMessage(12, [] { raiseError(12); }), u"UnknownException (CODE:12)");
    EXPECT_EQ(raisedMessage(0, [] { raiseError(0); }), u"UnknownException (CODE:0)");
    EXPECT_EQ(raisedMessage(14, [] { raiseError(14); }), u"UnknownException (CODE:14)");
    EXPECT_EQ(raisedMessage(-3, [] { raiseError(-3); }), u"UnknownException (CODE:-3)");
}

TEST(VMErrorTest, DetailFollowsColonAndBlank)
{
    EXPECT_EQ(raisedMessage(6, [] { throwError(6, std::u16string_view()); }), u"InvalidArgumentException");
    EXPECT_EQ(raisedMessage(6, [] { throwError(6, std::u16string_view(u"x")); }),
              u"InvalidArgumentException: x");
    EXPECT_EQ(raisedMessage(4, [] { throwError(4, std::u16string_view(u"x")); }),
              u"DataFormatException: : x");
    EXPECT_EQ(raisedMessage(1, [] { throwError(1, std::string_view("NULL pointer")); }),
              u"NullPointerException: NULL pointer");
    EXPECT_EQ(raisedMessage(7, [] { throwError(7, std::string_view("caf\xe9")); }), u"IOException: caf\u00e9");
}

TEST(VMErrorTest, RecordIsReplacedAndCleared)
{
    raisedMessage(5, [] { raiseError(5); });
    EXPECT_EQ(raisedMessage(2, [] { throwError(2, std::string_view("second")); }),
              u"IndexOutOfBoundsException: second");
    clearLastError();
    EXPECT_EQ(lastErrorCode(), 0);
    EXPECT_TRUE(lastErrorMessage().empty());
}

TEST(VMErrorTest, RethrowingTheRecordedMessageAsDetail)
{
    raisedMessage(8, [] { throwError(8, std::string_view("inner")); });
    try {
        throwError(10, std::u16string_view(lastErrorMessage()));
    } catch (const ErrorHandlingException&) {
    }
    EXPECT_EQ(lastErrorCode(), 10);
    EXPECT_EQ(lastErrorMessage(), u"VMException: MathException: inner");
}

TEST(VMErrorTest, FatalErrorRecordsOnlyTheCode)
{
    EXPECT_EQ(raisedMessage(11, [] { fatalError("stack corrupted", 1234); }), u"UnknownException (CODE:11)");
}

TEST(VMErrorTest, RecordIsPerThread)
{
    raisedMessage(3, [] { raiseError(3); });
    TInt32 codeSeenByOtherThread = -1;
    std::thread other([&] {
        codeSeenByOtherThread = lastErrorCode();
        try {
            raiseError(9);
        } catch (const ErrorHandlingException&) {
        }
    });
    other.join();
    EXPECT_EQ(codeSeenByOtherThread, 0);
    EXPECT_EQ(lastErrorCode(), 3);
    EXPECT_EQ(lastErrorMessage(), u"DivisionByZeroException");
}
