// The real player as a child process on the X server named by DISPLAY, in
// an application directory, with its standard-error lines collected.
#pragma once

#include <QProcess>
#include <QStringList>

#include <functional>

class PlayerProcess {
public:
    // Starts the player in `appDir` with `args` on Qt's `platform`.
    explicit PlayerProcess(const QString& appDir, const QStringList& args = {},
                           const QString& platform = QStringLiteral("xcb"));
    ~PlayerProcess();

    // Waits up to `timeoutMs` for `line` among the lines after the cursor;
    // on success the cursor moves past it and the skipped lines are returned
    // in `skipped`.
    bool expectLine(const QString& line, QStringList* skipped = nullptr, int timeoutMs = 10000);
    // Waits the same way for a line starting with `prefix`; answers it, or a
    // null string when none came in time.
    QString nextLineStartingWith(const QString& prefix, int timeoutMs = 10000);
    // Collects output for `ms` and answers the lines after the cursor (the
    // cursor moves to the end).
    QStringList linesDuring(int ms);
    // The player's top-level window id (through its _NET_WM_PID), 0 when none.
    quint32 window(int timeoutMs = 10000);
    qint64 pid() const { return process.processId(); }
    // The exit status once the player ended by itself; -1 when it crashed or
    // still runs after `timeoutMs`.
    int exitStatus(int timeoutMs = 30000);
    const QStringList& allLines() const { return lines; }

private:
    void collect(int waitMs);
    QString awaitLine(const std::function<bool(const QString&)>& wanted, const QString& what, QStringList* skipped,
                      int timeoutMs);

    QProcess process;
    QByteArray pending;
    QStringList lines;
    int cursor = 0;
};

// The Qt application object the test process needs for QProcess and QImage.
void ensureCoreApplication();

// Runs a helper command and answers its standard output (empty on failure).
QString runTool(const QString& program, const QStringList& args, int timeoutMs = 10000);
