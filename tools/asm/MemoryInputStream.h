// An input stream over bytes held in memory, so that images built or read by
// the tools go through the same VUvarFileReader path as image files.
#pragma once

#include "Stream.h"

#include <vector>

namespace LumbraAsm {

class MemoryInputStream : public LUMBRA::InputStream {
public:
    explicit MemoryInputStream(std::vector<unsigned char> bytes);
    int readByte() override;
    bool read(char* buffer, int count) override;
    int size() override;
    int position() override;
    bool seek(unsigned offset) override;
    bool atEnd() override;
    int close() override;

private:
    std::vector<unsigned char> data;
    size_t offset = 0;
};

} // namespace LumbraAsm
