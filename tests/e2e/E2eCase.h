// One end-to-end case: an assembly file whose comments state what running
// its image must give. Recognised comment lines (anywhere in the file):
//   ; expect-log: TEXT       the standard-error line "LOG: TEXT"
//   ; expect-stderr: LINE    the standard-error line LINE; a LINE ending in
//                            "..." matches every line that starts with the rest
//   ; expect-exit: N         the exit status (0 when not given)
//   ; run-args: A B ...      extra arguments put before the image
//   ; image-truncate: N      run a copy of the image cut to N bytes
//   ; image-missing          run a path next to the image that does not exist
//   ; expect-file: NAME = TEXT   after the run the file NAME (relative to the
//                            image's directory) holds TEXT, in which "\n" is
//                            a line end; the file is removed before the run
//   ; run-file: NAME = TEXT  before the run the file NAME (relative to the
//                            image's directory, parents made) holds TEXT
//   ; run-env: NAME=VALUE    set NAME in the runner's environment; "@APPDIR@"
//                            in VALUE stands for the directory the image runs in
//   ; ignore-stderr: PREFIX  standard-error lines starting with PREFIX (traces
//                            whose number and content vary) are not compared
//   ; services: NAME ...     the services the case needs (x11 dbus pulse
//                            gpsd): without one it is skipped, or fails when
//                            every service is required
//   ; run-argv0: NAME        start the runner with NAME as its argv[0]
//   ; modes: MODE ...        the runners the case goes through: "mcbrun"
//                            (the headless runner, the default) and "player"
// A directive after a mode name and a colon ("; player: expect-stderr: X")
// holds only when the case runs in that mode.
// Cases run through the player (e2e_driver --player) have no image argument:
// the player runs in the image's directory, which holds it as index.mcb.
// "{N*c}" in an expected line or in run-argv0 stands for N copies of c.
// Standard error must consist of exactly the expected lines, in order.
// "@APPDIR@" in an expected line stands for the directory the image runs in.
#pragma once

#include <QString>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

struct E2eCase {
    QStringList expectedLines;
    int expectedExit = 0;
    QStringList runArgs;
    int truncateTo = -1;
    bool imageMissing = false;
    QList<QPair<QString, QByteArray>> expectedFiles; // name, content
    QList<QPair<QString, QByteArray>> givenFiles;    // name, content
    QStringList services;
    QStringList ignoredPrefixes;
    QStringList runEnvironment;                      // NAME=VALUE
    QString argv0;                                   // empty: the runner's path
    QStringList modes{QStringLiteral("mcbrun")};
};

// `text` with every "{N*c}" replaced by N copies of the character c.
QString expandRepeats(const QString& text);

// Reads the expectations of the case file that hold in `mode`; false with
// `error` set on a malformed expectation or an unknown mode.
bool parseE2eCase(const QString& sourceText, const QString& mode, E2eCase& out, QString& error);

// `lines` without those that start with one of `prefixes`.
QStringList withoutIgnored(const QStringList& lines, const QStringList& prefixes);

// Compares actual standard-error lines with the expected ones; answers an
// empty string on a match, else a description of the first difference.
QString compareLines(const QStringList& expected, const QStringList& actual, const QString& appDir);
