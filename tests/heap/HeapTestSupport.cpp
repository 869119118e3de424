#include "HeapTestSupport.h"

#include "OVector.h"

int Counted::live = 0;

void HeapTest::SetUp()
{
    Vec<int> linked;
    linked.append(1);
    linked.append(2);
    referenceSlots.append(linked);
    referenceSlots.append(Vec<int>());
    arraySlots.append(Vec<int>());
    Vec<int> arrays;
    arrays.append(1);
    arrays.append(2);
    arraySlots.append(arrays);
    arrayIsReference.append(Vec<bool>());
    Vec<bool> flags;
    flags.append(true);
    flags.append(false);
    arrayIsReference.append(flags);
    Counted::live = 0;
    heap = std::make_unique<VMHeap>(arena, 64000, referenceSlots, arraySlots, arrayIsReference);
    ManagedMemory::setCurrent(heap.get());
}

void HeapTest::TearDown()
{
    if (!damaged) {
        EXPECT_EQ(errorOf([&] { heap->validate(); }), 0) << Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
    }
    heap.reset();
    EXPECT_EQ(Counted::live, 0) << "native objects outlived the heap";
}

TAddr HeapTest::newObject(int classIndex, int words)
{
    const TAddr data = heap->allocate(TUint32(4 * words), 0, GC_CODE_VM_OBJECT);
    setWord(data, 0, classIndex);
    return data;
}

TAddr HeapTest::newVector(bool ofReferences, const std::vector<TWord>& elements)
{
    const TAddr vector = heap->create<OVector<TWord>>(16, GC_CODE_VECTOR);
    auto* v = heap->objectAs<OVector<TWord>>(vector);
    for (TWord e : elements)
        v->append(e);
    const TAddr handle =
        heap->allocate(8, 0, ofReferences ? GC_CODE_OBJECT_VECTOR_HANDLE : GC_CODE_VECTOR_HANDLE);
    setWord(handle, 0, TWord(vector));
    return handle;
}

int HeapTest::errorOf(const std::function<void()>& action)
{
    Lumbra::clearLastError();
    try {
        action();
    } catch (const Lumbra::ErrorHandlingException&) {
        return Lumbra::lastErrorCode();
    }
    return 0;
}
