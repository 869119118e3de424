// Bytecode can overwrite any word of a block, headers included: every such
// damage must end in a VM error, never in a crash or a wrong object.
#include "HeapTestSupport.h"

#include "OVector.h"

namespace {

TEST_F(HeapTest, ObjectLookupRejectsForgedAddresses)
{
    const TAddr object = heap->create<Counted>(8, GC_CODE_NATIVE);
    const TAddr plain = heap->allocate(8, 0, GC_CODE_NATIVE);
    EXPECT_NE(heap->objectAt(object), nullptr);
    EXPECT_EQ(errorOf([&] { heap->objectAt(0); }), Lumbra::ENullPointer);
    EXPECT_EQ(errorOf([&] { heap->objectAt(object + 4); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->objectAt(plain); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->objectAt(0xFFFFFFF0u); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->objectAs<OVectorBase>(object); }), Lumbra::EVM) << "wrong kind";

    // A plain block dressed up as an object, carrying the real object's index.
    header(plain).objectFlag = -1;
    setWord(plain, 0, word(object, 0));
    EXPECT_EQ(errorOf([&] { heap->objectAt(plain); }), Lumbra::EVM);
    header(plain).objectFlag = 0;
}

TEST_F(HeapTest, OverwrittenObjectWordStillDestroysTheObjectOnce)
{
    const TAddr a = heap->create<Counted>(8, GC_CODE_NATIVE);
    const TAddr b = heap->create<Counted>(8, GC_CODE_NATIVE);
    setWord(a, 0, word(b, 0)); // a now names b's table slot
    EXPECT_EQ(errorOf([&] { heap->objectAt(a); }), Lumbra::EVM);
    heap->addRoot(b);
    EXPECT_EQ(errorOf([&] { heap->markObject(a); }), Lumbra::EVM);
    heap->collect(); // a is released: its own object, not b's, is destroyed
    EXPECT_EQ(Counted::live, 1);
    EXPECT_NE(heap->objectAt(b), nullptr);
    setWord(b, 0, 12345);
    heap->removeRoot(b);
    heap->collect();
    EXPECT_EQ(Counted::live, 0);
}

TEST_F(HeapTest, DamagedSizesAndFootersRaiseVMErrors)
{
    const TAddr a = newObject(LINKED);
    const TAddr b = newObject(LINKED);
    heap->addRoot(a);
    setWord(a, 1, TWord(b));

    const TUint32 size = header(b).size;
    header(b).size = 0x7FFFFFF0;
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM);
    header(b).size = 4;
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM) << "footer disagrees";
    header(b).size = size;
    setWord(b, 3, 0); // b's footer
    EXPECT_EQ(errorOf([&] { heap->markObject(b); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->free(b); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->validate(); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->memUsage(); }), Lumbra::EVM);
    setWord(b, 3, TWord(size + 28));
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 2);
    heap->removeRoot(a);
}

TEST_F(HeapTest, DamagedFreeListLinksRaiseVMErrors)
{
    const TAddr a = heap->allocate(16, 0, GC_CODE_NATIVE);
    const TAddr guard = heap->allocate(16, 0, GC_CODE_NATIVE);
    heap->free(a);
    const TUint32 link = header(a).freeHeapEntryIterator;

    header(a).freeHeapEntryIterator = 999999; // no such node
    EXPECT_EQ(errorOf([&] { heap->free(guard); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->sweep(); }), Lumbra::EVM);

    header(a).freeHeapEntryIterator = 0; // looks in use, but its node is listed
    EXPECT_EQ(errorOf([&] { heap->allocate(12, 0, GC_CODE_NATIVE); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->allocate(12, 0, GC_CODE_NATIVE); }), 0) << "the stale node was dropped";
    (void)link;
    damaged = true;
}

TEST_F(HeapTest, ForgedReferencesNeverLeaveThePools)
{
    const TAddr a = newObject(LINKED);
    heap->addRoot(a);
    const TWord forged[] = {1, 24, 65536, TWord(a + 2), TWord(a + 8), -4, 0x7FFFFFFF,
                            TWord(heap->poolStart(0) + 64080 - 4)};
    for (TWord f : forged) {
        setWord(a, 1, f);
        EXPECT_NE(errorOf([&] { heap->collect(); }), 0) << f;
        EXPECT_EQ(header(a).marked, 0);
    }
    setWord(a, 1, 0);
    heap->collect();
    heap->removeRoot(a);
}

TEST_F(HeapTest, VectorHandleForgedToAnotherKindIsRejected)
{
    const TAddr object = heap->create<Counted>(8, GC_CODE_NATIVE);
    const TAddr handle = heap->allocate(8, 0, GC_CODE_OBJECT_VECTOR_HANDLE);
    setWord(handle, 0, TWord(object));
    heap->addRoot(handle);
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM);
    setWord(handle, 0, 0);
    heap->collect();
    EXPECT_EQ(Counted::live, 0);
    heap->removeRoot(handle);
}

TEST_F(HeapTest, HeapWithDamagedHeadersStillDestroysItsObjects)
{
    for (int i = 0; i < 10; ++i)
        heap->create<Counted>(8, GC_CODE_NATIVE);
    const TAddr victim = heap->allocate(8, 0, GC_CODE_NATIVE);
    header(victim).size = 12; // the walk stops here when the heap goes away
    damaged = true;
}

} // namespace

TEST_F(HeapTest, ARootReleasedExplicitlyEndsTheCollectionWithoutTouchingItsReusedSpace)
{
    const TAddr first = heap->allocate(16, 0, GC_CODE_NATIVE);
    const TAddr rooted = heap->allocate(16, 0, GC_CODE_NATIVE);
    heap->addRoot(rooted);
    heap->free(first);
    heap->free(rooted); // bytecode may release any block, a rooted one too
    const TAddr reused = heap->allocate(24, 0, GC_CODE_NATIVE); // the old root now lies inside it
    ASSERT_LT(reused, rooted);
    ASSERT_GT(reused + 24 + 28, rooted);
    heap->addRoot(reused);
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM);
    heap->validate(); // nothing was written into the reused block's header
    heap->removeRoot(rooted);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 1);
    heap->removeRoot(reused);
}
