// Programs that call the file and stream natives, run in-process with host
// services rooted in a temporary application directory. Results reach the
// test as log lines; an error ends the run with its message and code.
#pragma once

#include "FileSizeLimit.h"
#include "NativeTestSupport.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace FileTest {

using NativeTest::Program;
using Lines = std::vector<std::string>;

enum Group { OUTPUT_STREAM = 21, FILE_WRITER = 22, INPUT_STREAM = 23, FILE_READER = 24, FILE_SYSTEM = 25, ENCODER = 28 };

// A null variable (a reference box holding 0); answers its position.
int variable(Program& p);
// A FileWriter variable opened on `path` (op 1 with the append flag).
int openWriter(Program& p, const std::string& path, bool append);
// A FileReader variable opened on `path`.
int openReader(Program& p, const std::string& path);
// The UTF-8 bytes of `text` as a new byte vector reference (Encoder op 1).
int bytesOf(Program& p, const std::string& text);
// OutputStream op 3 of the bytes of `text` to the writer at `holder`.
void write(Program& p, int holder, const std::string& text);
// Native `native` of `group` on the holder at `holder` and the int `args`;
// logs the int it leaves when `logged`.
void onHolder(Program& p, int group, int native, int holder, std::initializer_list<TWord> args, bool logged);
// InputStream op 3 of `count` bytes, logged as decoded text.
void readText(Program& p, int holder, int count);
// FileSystem op `native` on the string arguments; logs an int result when `logged`.
void fileSystem(Program& p, int native, std::initializer_list<std::string> paths, bool logged);

class AppDirectory {
public:
    AppDirectory();
    QString path(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const; // "<missing>" when absent
    bool exists(const QString& name) const;

    // Runs `program` with this directory as the application directory.
    NativeTest::RunResult run(const Program& program) const;
    Lines log(const Program& program) const { return run(program).log; }

private:
    QTemporaryDir dir;
};

} // namespace FileTest
