#include "FileTestSupport.h"

#include "Assembler.h"
#include "BasicFrameworkServices.h"
#include "MachineTestSupport.h"
#include "MemoryInputStream.h"
#include "VUvarFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace FileTest {

namespace {

class DirectoryServices : public BasicFrameworkServices {
public:
    explicit DirectoryServices(const QString& dir) : BasicFrameworkServices(Str16::fromQString(dir)) {}
    void log(const OString& message) override { lines.push_back(Lumbra::u16ToUtf8(message.toU16())); }
    [[noreturn]] void exit(int status) override { throw MachineStop{status, "exit service"}; }

    std::vector<std::string> lines;
};

} // namespace

int variable(Program& p)
{
    return p.resultBox();
}

int openWriter(Program& p, const std::string& path, bool append)
{
    const int var = variable(p);
    p.copy(var);
    p.text(path);
    p.integer(append ? 1 : 0);
    p.vec(FILE_WRITER, 1, 3, 0);
    return var;
}

int openReader(Program& p, const std::string& path)
{
    const int var = variable(p);
    p.copy(var);
    p.text(path);
    p.vec(FILE_READER, 1, 2, 0);
    return var;
}

int bytesOf(Program& p, const std::string& text)
{
    p.integer(0); // receiver
    p.text(text);
    p.vec(ENCODER, 1, 2, 1);
    return p.depth() - 1;
}

void write(Program& p, int holder, const std::string& text)
{
    p.copy(holder);
    bytesOf(p, text);
    p.vec(OUTPUT_STREAM, 3, 2, 0);
}

void onHolder(Program& p, int group, int native, int holder, std::initializer_list<TWord> args, bool logged)
{
    p.copy(holder);
    for (TWord a : args)
        p.integer(a);
    p.vec(group, native, 1 + int(args.size()), logged ? 1 : 0);
    if (logged)
        p.logInt();
}

void readText(Program& p, int holder, int count)
{
    p.integer(0); // encoder receiver
    p.copy(holder);
    p.integer(count);
    p.vec(INPUT_STREAM, 3, 2, 1);
    p.vec(ENCODER, 2, 2, 1);
    p.logText();
}

void fileSystem(Program& p, int native, std::initializer_list<std::string> paths, bool logged)
{
    p.integer(0); // receiver
    for (const std::string& path : paths)
        p.text(path);
    p.vec(FILE_SYSTEM, native, 1 + int(paths.size()), logged ? 1 : 0);
    if (logged)
        p.logInt();
}

AppDirectory::AppDirectory()
{
    if (!dir.isValid())
        throw std::runtime_error("no temporary directory");
}

QString AppDirectory::path(const QString& name) const
{
    return dir.filePath(name);
}

void AppDirectory::write(const QString& name, const QByteArray& bytes) const
{
    QDir().mkpath(QFileInfo(path(name)).path());
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + name.toStdString());
}

QByteArray AppDirectory::read(const QString& name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool AppDirectory::exists(const QString& name) const
{
    return QFileInfo::exists(path(name));
}

NativeTest::RunResult AppDirectory::run(const Program& program) const
{
    const std::string source = program.source(MachineTest::ERROR_HOOKS);
    const LumbraAsm::AssemblyResult image = LumbraAsm::assemble(source, "program.s");
    if (!image.ok)
        throw std::runtime_error(image.error + "\n" + source);
    NativeTest::RunResult result;
    DirectoryServices services(dir.path());
    VirtualMachine machine;
    VirtualMachine::setCurrent(&machine);
    VUvarFileReader reader(new LumbraAsm::MemoryInputStream(image.image));
    try {
        machine.load(reader, VUvarString("index.mcb"), &services);
    } catch (const MachineStop& stop) {
        result.stopped = true;
        result.status = stop.status;
        result.stopMessage = stop.message;
    }
    result.log = services.lines;
    VirtualMachine::setCurrent(nullptr);
    return result;
}

} // namespace FileTest
