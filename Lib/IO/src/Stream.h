// Byte streams over C stdio files. Streams answer failure through their
// results and call onError() at every failure or end of data. The one thing
// they throw is IOException "File is too large" from size() and position()
// of a file larger than an int can count: no answer would be true there.
#pragma once

#include "VUvarString.h"

#include <cstdio>

namespace LUMBRA {

class Stream {
public:
    virtual ~Stream() = default;
    virtual bool isOpen() const { return open; }
    virtual void onError() {}

protected:
    bool open = false;
};

class InputStream : public Stream {
public:
    virtual int readByte() = 0;
    virtual bool read(char* buffer, int count) = 0;
    virtual int size() = 0;
    virtual int position() = 0;
    virtual bool seek(unsigned offset) = 0;
    virtual bool atEnd() = 0;
    virtual int close() = 0;
};

class OutputStream : public Stream {
public:
    virtual bool writeByte(int byte) = 0;
    virtual bool write(const void* data, int count) = 0;
    virtual int size() = 0;
    virtual int position() = 0;
    virtual bool seek(unsigned offset) = 0;
    // Non-zero when the file could not be closed or an earlier write to it
    // had failed: the written bytes did not all reach the file.
    virtual int close() = 0;
    // Hands buffered bytes to the file; false when they or earlier ones did not arrive.
    virtual bool flush() = 0;
};

class FileInputStream : public InputStream {
public:
    ~FileInputStream() override;
    // With `beneath`, the name is resolved beneath that directory.
    bool open(const Str16& path, const Str16& beneath = Str16());
    int readByte() override;
    bool read(char* buffer, int count) override;
    int size() override;
    int position() override;
    bool seek(unsigned offset) override;
    bool atEnd() override;
    int close() override;

private:
    FILE* file = nullptr;
};

class FileOutputStream : public OutputStream {
public:
    ~FileOutputStream() override;
    // With `beneath`, the name and its missing parents are resolved beneath
    // that directory.
    bool open(const Str16& path, const Str16& beneath = Str16());
    // Opens for update without truncating (creating a missing file) and
    // positions at the end: later writes follow the old content, seeking
    // back overwrites in place. The old bytes are never rewritten.
    bool openForAppend(const Str16& path, const Str16& beneath = Str16());
    bool writeByte(int byte) override;
    bool write(const void* data, int count) override;
    int size() override;
    int position() override;
    bool seek(unsigned offset) override;
    int close() override;
    bool flush() override;

private:
    // Creates the missing parent directory of an absolute path.
    static bool prepareDirectory(const Str16& path, const Str16& beneath);

    FILE* file = nullptr;
};

} // namespace LUMBRA
