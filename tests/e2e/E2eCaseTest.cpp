// The harness itself: a lax comparison would let every case pass.
#include "E2eCase.h"

#include <gtest/gtest.h>

TEST(E2eCaseTest, ReadsEveryKindOfExpectation)
{
    E2eCase c;
    QString error;
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; expect-log: hi there\n"
                                            "  ;expect-stderr: FATAL: x...\n"
                                            "; expect-exit: 3\n"
                                            "; run-args: --budget 10\n"
                                            "; image-truncate: 12\n"
                                            "; image-missing\n"
                                            "main: ; expect-log: not a directive line\n"),
                             c, error));
    EXPECT_EQ(c.expectedLines, (QStringList{"LOG: hi there", "FATAL: x..."}));
    EXPECT_EQ(c.expectedExit, 3);
    EXPECT_EQ(c.runArgs, (QStringList{"--budget", "10"}));
    EXPECT_EQ(c.truncateTo, 12);
    EXPECT_TRUE(c.imageMissing);
}

TEST(E2eCaseTest, ExpectedFilesTakeNameAndEscapedText)
{
    E2eCase c;
    QString error;
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; expect-file: d/a.log = x = 1\\ny\\n\n"), c, error));
    ASSERT_EQ(c.expectedFiles.size(), 1);
    EXPECT_EQ(c.expectedFiles[0].first, "d/a.log");
    EXPECT_EQ(c.expectedFiles[0].second, QByteArray("x = 1\ny\n"));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; expect-file: no separator\n"), c, error));
}

TEST(E2eCaseTest, RejectsMalformedNumbers)
{
    E2eCase c;
    QString error;
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; expect-exit: one\n"), c, error));
    EXPECT_TRUE(error.contains("line 1"));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; image-truncate: -4\n"), c, error));
}

TEST(E2eCaseTest, LinesMustMatchExactlyAndInOrder)
{
    const QStringList expected{"LOG: a", "LOG: b"};
    EXPECT_TRUE(compareLines(expected, {"LOG: a", "LOG: b"}, "/d").isEmpty());
    EXPECT_FALSE(compareLines(expected, {"LOG: b", "LOG: a"}, "/d").isEmpty());
    EXPECT_FALSE(compareLines(expected, {"LOG: a"}, "/d").isEmpty());
    EXPECT_FALSE(compareLines(expected, {"LOG: a", "LOG: b", "LOG: c"}, "/d").isEmpty());
    EXPECT_FALSE(compareLines(expected, {"LOG: a", "LOG: b "}, "/d").isEmpty());
}

TEST(E2eCaseTest, EllipsisMatchesPrefixAndAppDirIsSubstituted)
{
    EXPECT_TRUE(compareLines({"FATAL: Unknown..."}, {"FATAL: UnknownException (CODE:11)"}, "/d").isEmpty());
    EXPECT_FALSE(compareLines({"FATAL: Unknown..."}, {"FATAL: VMException"}, "/d").isEmpty());
    EXPECT_TRUE(compareLines({"Failed to open '@APPDIR@/x'"}, {"Failed to open '/apps/a/x'"}, "/apps/a").isEmpty());
    EXPECT_FALSE(compareLines({"Failed to open '@APPDIR@/x'"}, {"Failed to open '/other/x'"}, "/apps/a").isEmpty());
}

TEST(E2eCaseTest, EnvironmentArgv0AndRepeats)
{
    E2eCase c;
    QString error;
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; run-env: A=1\n; run-env: B=x=y\n; run-argv0: {3*z}-app\n"), c, error));
    EXPECT_EQ(c.runEnvironment, (QStringList{"A=1", "B=x=y"}));
    EXPECT_EQ(c.argv0, "zzz-app");
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; run-env: =1\n"), c, error));
    EXPECT_EQ(expandRepeats(QStringLiteral("{2*a}/{0*b}{12*c}.")), QStringLiteral("aa/cccccccccccc."));
    EXPECT_EQ(compareLines({QStringLiteral("{4*a}: too long")}, {QStringLiteral("aaaa: too long")}, QString()), QString());
    EXPECT_NE(compareLines({QStringLiteral("{4*a}: too long")}, {QStringLiteral("aaa: too long")}, QString()), QString());
}
