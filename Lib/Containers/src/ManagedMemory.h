// The contract between managed objects (strings, vectors, readers, ...) and
// the machine's garbage-collected heap. Containers code allocates managed
// blocks through the current thread's ManagedMemory; the heap implements it.
#pragma once

#include "Arena.h"
#include "GCObject.h"

#include <new>
#include <utility>

// Kind of a heap block: tells the collector how to find references in it.
enum GcCode : TInt32 {
    GC_CODE_FREE = 0,
    GC_CODE_VM_OBJECT = 1,
    GC_CODE_NATIVE = 2,
    GC_CODE_STRING = 3,
    GC_CODE_FONT = 5,
    GC_CODE_VECTOR_HANDLE = 6,
    GC_CODE_OBJECT_VECTOR_HANDLE = 7,
    GC_CODE_VECTOR = 8,
    GC_CODE_STREAM_HOLDER = 12,
    GC_CODE_REFERENCE = 14,
    GC_CODE_DATETIME = 15,
    GC_CODE_GRAPHICS_HOLDER = 16,
    GC_CODE_HASH = 17,
    GC_CODE_TERMINATOR = 18,
};

// Type ids carried in word 0 of holder blocks (codes 12 and 16).
enum TYPEID : TInt32 {
    GRAPHICS_CONTEXT_TYPE_ID = 1,
    BITMAP_TYPE_ID = 2,
    FILE_READER_TYPE_ID = 5,
    FILE_WRITER_TYPE_ID = 6,
};

class ManagedMemory {
public:
    virtual ~ManagedMemory() = default;

    virtual Lumbra::Arena& arena() = 0;

    // A zero-filled block of `size` bytes; returns its data address.
    virtual TAddr allocate(TUint32 size, TInt32 objectFlag, GcCode code) = 0;

    // A block for a vector's element storage (GC_CODE_NATIVE). The heap
    // remembers it as storage until it is collected: bytecode cannot release
    // it, and a vector can check that its storage is still such a block.
    virtual TAddr allocateStorage(TUint32 size) { return allocate(size, 0, GC_CODE_NATIVE); }
    // allocateStorage whose data may still hold what an earlier block left:
    // the caller writes or clears every byte before bytecode runs again.
    virtual TAddr allocateStorageUncleared(TUint32 size) { return allocateStorage(size); }
    virtual bool isStorage(TAddr /*data*/) const { return true; }

    // A block of `blockSize` bytes (object flag -1) that owns `object`; the
    // heap destroys the object when the collector releases the block.
    virtual TAddr adopt(GCObject* object, TUint32 blockSize, GcCode code) = 0;

    // The native object held by the block at data address `addr`, validated
    // through the heap's native-object table; raises a VM error when the
    // block holds none (forged, stale or overwritten reference).
    virtual GCObject* objectAt(TAddr addr) = 0;

    // adopt, deleting the object when no block can be made for it.
    TAddr adoptOrDelete(GCObject* object, TUint32 blockSize, GcCode code)
    {
        try {
            return adopt(object, blockSize, code);
        } catch (...) {
            delete object;
            throw;
        }
    }

    // Builds a T and hands it to a new block; a throwing constructor leaves nothing behind.
    template <class T, class... Args>
    TAddr create(TUint32 blockSize, GcCode code, Args&&... args)
    {
        return adoptOrDelete(new T(std::forward<Args>(args)...), blockSize, code);
    }

    template <class T>
    T* objectAs(TAddr addr)
    {
        T* object = dynamic_cast<T*>(objectAt(addr));
        if (!object)
            wrongObject();
        return object;
    }

    // The heap of the machine running on this thread (null when none).
    static ManagedMemory* current();
    static void setCurrent(ManagedMemory* memory);

private:
    [[noreturn]] static void wrongObject();
};
