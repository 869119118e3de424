// A forgiving reader over one owned input stream: every operation answers
// softly when no stream is attached, and nothing here throws.
#pragma once

#include "GCObject.h"
#include "Stream.h"

class VUvarFileReader : public GCObject {
public:
    // Size of its heap block in the original 32-bit layout.
    static constexpr TUint32 BLOCK_SIZE = 28;

    explicit VUvarFileReader(LUMBRA::InputStream* adopted);
    explicit VUvarFileReader(const Str16& path);
    ~VUvarFileReader() override;
    VUvarFileReader(const VUvarFileReader&) = delete;
    VUvarFileReader& operator=(const VUvarFileReader&) = delete;

    int position();
    int streamSize();
    bool readByte(TUint8& out);
    bool read(void* buffer, int count);
    bool read(Vec<unsigned char>& target, int count);
    bool read(Vec<signed char>& target, int count);
    bool readString(Str16& out, int count);
    void close();

    const Str16& name() const { return fileName; }

private:
    template <class Byte>
    bool readInto(Vec<Byte>& target, int count);

    Str16 fileName;
    LUMBRA::InputStream* stream = nullptr;
};
