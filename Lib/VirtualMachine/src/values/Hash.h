// The managed message digest: an algorithm number and the digest state of
// the bytes appended so far. Bytes are digested as they are appended, so the
// object stays the same size however much goes through it. Algorithm numbers
// (anything else digests to the empty answer):
#pragma once

#include "GCObject.h"
#include "LumbraTypes.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <memory>

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
    static constexpr int STATE_BYTES = 640;

    explicit Hash(TInt32 algorithm);

    void append(const char* bytes, qsizetype count);
    // The digest of everything appended so far; appending may go on after it.
    QByteArray digest() const;

    // This object and the digest state: about 630 bytes were measured for
    // the largest algorithm's, allocator headers included.
    int sizeOutsideHeap() const override { return int(sizeof(*this)) + (state ? STATE_BYTES : 0); }

    // The digest of `bytes` by algorithm number; empty for unknown numbers.
    static QByteArray digestOf(TInt32 algorithm, QByteArrayView bytes);

private:
    std::unique_ptr<QCryptographicHash> state; // null for an unknown number
};

} // namespace Lumbra
