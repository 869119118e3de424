// The managed object behind a FileReader or FileWriter value: an 8-byte
// GC_CODE_STREAM_HOLDER block whose word 0 is its TYPEID and whose word 1
// names the owned stream through the heap's native-object table. The
// collector destroys the stream (closing its file) with the block. Closing
// keeps the stream attached, so a closed holder stays valid and reports
// "File is not open" on use.
#pragma once

#include "ManagedMemory.h"
#include "OString.h"
#include "Stream.h"

#include <memory>
#include <string>
#include <vector>

class VirtualMachine;

// Owns a stream on behalf of a holder block; deleting it closes the file.
// Keeps the name the application opened it by, for reports, in host memory
// (an OString's characters live in the arena, which may go first).
class HeldStream : public GCObject {
public:
    HeldStream(std::unique_ptr<LUMBRA::Stream> stream, std::u16string name)
        : stream(std::move(stream)), fileName(std::move(name)) {}
    LUMBRA::Stream* get() const { return stream.get(); }
    const std::u16string& name() const { return fileName; }

private:
    std::unique_ptr<LUMBRA::Stream> stream;
    std::u16string fileName;
};

class StreamHolder {
public:
    static constexpr TUint32 BLOCK_SIZE = 8;

    // A new holder of `typeId` owning `stream` opened on `name`, stored into
    // the reference box `varBox` (checked before anything is made).
    static void storeNew(VirtualMachine& vm, TWord varBox, TYPEID typeId, std::unique_ptr<LUMBRA::Stream> stream,
                         const OString& name);

    // The holder held by the reference box `box` (a null box raises code 1).
    StreamHolder(VirtualMachine& vm, TWord box);

    bool isNull() const { return holder == 0; }

    // Of a non-null holder: the attached stream or null. A holder of another
    // kind (forged or overwritten TYPEID included) raises VMException "Invalid TYPEID".
    LUMBRA::InputStream* attachedReader() const;
    LUMBRA::OutputStream* attachedWriter() const;

    // The open stream: a null holder, no stream or a closed one raise
    // IOException "File is not open"; a wrong kind raises "Invalid TYPEID".
    LUMBRA::InputStream& openReader() const;
    LUMBRA::OutputStream& openWriter() const;

private:
    LUMBRA::Stream* attached(TYPEID expected) const;

    VirtualMachine& vm;
    TAddr holder;
};

// IOException "File is not open".
[[noreturn]] void fileNotOpen();

// Hands the buffered bytes of every open writer to its file; answers the
// names of those that could not be written.
std::vector<std::u16string> flushOpenWriters(VirtualMachine& vm);

// The log line for writers lost at exit: "IOException: <n> open file(s)
// could not be written before exit: <names>", the names separated by ", "
// and cut off after the first few.
OString lostWritersMessage(const std::vector<std::u16string>& names);
