// The managed message digest: an algorithm number and the bytes appended so
// far. Algorithm numbers (anything else digests to the empty answer):
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

#include <QByteArray>

// LUMBRA_HASH_ALGORITHM(number, QCryptographicHash algorithm)
#define LUMBRA_HASH_ALGORITHMS(ALGORITHM) \
    ALGORITHM(1, Md5)                     \
    ALGORITHM(2, Sha1)                    \
    ALGORITHM(3, Sha256)                  \
    ALGORITHM(4, Sha512)

namespace Lumbra {

class Hash : public GCObject {
public:
    static constexpr TUint32 BLOCK_SIZE = 8;

    explicit Hash(TInt32 algorithm) : algorithm(algorithm) {}

    void append(const char* bytes, int count) { buffer.append(bytes, count); }
    QByteArray digest() const { return digestOf(algorithm, buffer); }
    int sizeOutsideHeap() const override { return int(buffer.capacity()); }

    // The digest of `bytes` by algorithm number; empty for unknown numbers.
    static QByteArray digestOf(TInt32 algorithm, const QByteArray& bytes);

private:
    TInt32 algorithm;
    QByteArray buffer;
};

} // namespace Lumbra
