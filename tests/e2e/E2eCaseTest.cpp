// The harness itself: a lax comparison would let every case pass.
#include "E2eCase.h"

#include <gtest/gtest.h>

namespace {
const QString MCBRUN = QStringLiteral("mcbrun");
const QString PLAYER = QStringLiteral("player");
} // namespace

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
                             MCBRUN, c, error));
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
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; expect-file: d/a.log = x = 1\\ny\\n\n"), MCBRUN, c, error));
    ASSERT_EQ(c.expectedFiles.size(), 1);
    EXPECT_EQ(c.expectedFiles[0].first, "d/a.log");
    EXPECT_EQ(c.expectedFiles[0].second, QByteArray("x = 1\ny\n"));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; expect-file: no separator\n"), MCBRUN, c, error));
}

TEST(E2eCaseTest, RejectsMalformedNumbers)
{
    E2eCase c;
    QString error;
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; expect-exit: one\n"), MCBRUN, c, error));
    EXPECT_TRUE(error.contains("line 1"));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; image-truncate: -4\n"), MCBRUN, c, error));
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
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; run-env: A=1\n; run-env: B=x=y\n; run-argv0: {3*z}-app\n"), MCBRUN, c, error));
    EXPECT_EQ(c.runEnvironment, (QStringList{"A=1", "B=x=y"}));
    EXPECT_EQ(c.argv0, "zzz-app");
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; run-env: =1\n"), MCBRUN, c, error));
    EXPECT_EQ(expandRepeats(QStringLiteral("{2*a}/{0*b}{12*c}.")), QStringLiteral("aa/cccccccccccc."));
    EXPECT_EQ(compareLines({QStringLiteral("{4*a}: too long")}, {QStringLiteral("aaaa: too long")}, QString()), QString());
    EXPECT_NE(compareLines({QStringLiteral("{4*a}: too long")}, {QStringLiteral("aaa: too long")}, QString()), QString());
}

TEST(E2eCaseTest, ModesAndExpectationsOfOneMode)
{
    const QString source = QStringLiteral("; modes: mcbrun player\n"
                                          "; expect-log: both\n"
                                          "; player: expect-stderr: only played\n"
                                          "; mcbrun: expect-exit: 2\n"
                                          "; mcbrun: image-missing\n");
    E2eCase run;
    E2eCase played;
    QString error;
    ASSERT_TRUE(parseE2eCase(source, MCBRUN, run, error));
    ASSERT_TRUE(parseE2eCase(source, PLAYER, played, error));
    EXPECT_EQ(run.modes, (QStringList{"mcbrun", "player"}));
    EXPECT_EQ(run.expectedLines, (QStringList{"LOG: both"}));
    EXPECT_EQ(run.expectedExit, 2);
    EXPECT_TRUE(run.imageMissing);
    EXPECT_EQ(played.expectedLines, (QStringList{"LOG: both", "only played"}));
    EXPECT_EQ(played.expectedExit, 0);
    EXPECT_FALSE(played.imageMissing);

    E2eCase plain;
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; expect-log: x\n"), PLAYER, plain, error));
    EXPECT_EQ(plain.modes, (QStringList{"mcbrun"}));
}

TEST(E2eCaseTest, RejectsUnknownOrModeDependentModes)
{
    E2eCase c;
    QString error;
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; modes: mcbrun gui\n"), MCBRUN, c, error));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; modes:\n"), MCBRUN, c, error));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; player: modes: player\n"), PLAYER, c, error));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; expect-log: x\n"), QStringLiteral("gui"), c, error));
}

TEST(E2eCaseTest, GivenFilesAndServices)
{
    E2eCase c;
    QString error;
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; run-file: dev/coord = 1 2 3\\n\n; services: dbus pulse\n"), MCBRUN, c, error));
    ASSERT_EQ(c.givenFiles.size(), 1);
    EXPECT_EQ(c.givenFiles[0].first, "dev/coord");
    EXPECT_EQ(c.givenFiles[0].second, QByteArray("1 2 3\n"));
    EXPECT_TRUE(c.expectedFiles.isEmpty());
    EXPECT_EQ(c.services, (QStringList{"dbus", "pulse"}));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; services: dbus printer\n"), MCBRUN, c, error));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; player: services: dbus\n"), PLAYER, c, error));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; run-file: no separator\n"), MCBRUN, c, error));
}

TEST(E2eCaseTest, IgnoredTracesAreLeftOutBeforeComparing)
{
    E2eCase c;
    QString error;
    ASSERT_TRUE(parseE2eCase(QStringLiteral("; ignore-stderr: trace: \n; expect-log: a\n"), MCBRUN, c, error));
    EXPECT_EQ(c.ignoredPrefixes, (QStringList{"trace: "}));
    const QStringList kept = withoutIgnored({"trace: 1", "LOG: a", "trace: 2", "trace:x"}, c.ignoredPrefixes);
    EXPECT_EQ(kept, (QStringList{"LOG: a", "trace:x"}));
    EXPECT_EQ(compareLines(c.expectedLines, kept, QString()), QStringLiteral("unexpected line 2: trace:x"));
    EXPECT_FALSE(parseE2eCase(QStringLiteral("; ignore-stderr:\n"), MCBRUN, c, error));
}
