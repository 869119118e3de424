// The player profiling a recorded game of the sample offscreen: the report
// reaches its file when the replay ends, counts the game's instructions and
// names the natives its drawing and key handling call.
#include "NeedsService.h"
#include "PlayerProcess.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ReplayProfile, ARecordedGameIsCountedToTheEnd)
{
    LUMBRA_NEEDS_SERVICE("dbus", !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"), "no DBUS_SYSTEM_BUS_ADDRESS");
    ensureCoreApplication();
    QTemporaryDir out;
    const QString profileFile = out.filePath("ops.txt");
    const QString folder = QStringLiteral(SNAKE_DIR "/replays/game-over");
    PlayerProcess player(folder,
                         {"--replay", folder + "/game-over.mcbrec", "--replay-fast", "--profile-ops=" + profileFile,
                          "--profile-top", "0"},
                         QStringLiteral("offscreen"));
    ASSERT_EQ(player.exitStatus(), 0) << player.allLines().join('\n').toStdString();
    EXPECT_TRUE(player.allLines().contains(QStringLiteral("LOG: snake: game over, score 1")));
    EXPECT_TRUE(player.allLines().filter(QRegularExpression("^profile: ")).isEmpty()) << "the report goes to its file";

    QFile file(profileFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(file.readAll());
    const QRegularExpressionMatch summary =
        QRegularExpression("^profile: (\\d+) instructions run; not counted for want of room: 0 singles")
            .match(report);
    ASSERT_TRUE(summary.hasMatch()) << report.left(400).toStdString();
    EXPECT_GT(summary.captured(1).toLongLong(), 10000);
    // Drawing the board, and reading the keys the record delivers.
    for (const char* native : {"Graphics.fillRect", "Screen.repaint", "KeyEvent.keyCode"})
        EXPECT_TRUE(report.contains(QRegularExpression(QStringLiteral("\nprofile: single [1-9]\\d* [0-9.]+% native \\d+ \\d+ %1\n")
                                                           .arg(QLatin1String(native)))))
            << native;
    EXPECT_TRUE(report.contains(QRegularExpression("\nprofile: pair \\d+ [0-9.]+% \\S.* \\| \\S")));
    EXPECT_TRUE(report.contains(QRegularExpression("\nprofile: triple \\d+ [0-9.]+% \\S.* \\| .* \\| \\S")));
}
