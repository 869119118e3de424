// Roots, marking by block kind, the sweep and destructors.
#include "HeapTestSupport.h"

#include "OVector.h"

namespace {

TEST_F(HeapTest, UnreachableCycleIsReleasedRootedCycleSurvives)
{
    const TAddr a = newObject(LINKED);
    const TAddr b = newObject(LINKED);
    setWord(a, 1, TWord(b));
    setWord(b, 2, TWord(a));
    heap->addRoot(a);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 2);
    EXPECT_EQ(header(a).marked, 0);
    EXPECT_EQ(header(b).marked, 0);
    heap->validate();

    heap->removeRoot(a);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 0);
    EXPECT_EQ(heap->memUsage().freeSpace, 64000);
}

TEST_F(HeapTest, RootAddedTwiceNeedsTwoRemovals)
{
    const TAddr a = newObject(LINKED);
    heap->addRoot(a);
    heap->addRoot(a);
    heap->removeRoot(a);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 1);
    heap->removeRoot(a);
    EXPECT_EQ(heap->rootCount(), 0);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 0);
}

TEST_F(HeapTest, RemovingAMissingRootOnlyPrints)
{
    const TAddr a = newObject(LINKED);
    heap->addRoot(a);
    testing::internal::CaptureStderr();
    heap->removeRoot(a + 4);
    heap->removeRoot(TAddr(-8));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Removing non-existing root: " + std::to_string(a + 4) +
                  "Error: Removing non-existing root: -8");
    EXPECT_EQ(heap->rootCount(), 1);
    heap->removeRoot(a);
}

TEST_F(HeapTest, SweepWithoutMarksReleasesEverythingAndRunsDestructors)
{
    for (int i = 0; i < 3000; ++i) {
        newObject(LINKED, 1 + i % 7);
        heap->create<Counted>(12, GC_CODE_NATIVE);
    }
    EXPECT_GT(heap->nOfPools(), 1);
    EXPECT_EQ(Counted::live, 3000);
    heap->sweep();
    EXPECT_EQ(Counted::live, 0);
    EXPECT_EQ(heap->nOfEntries(), 0);
    EXPECT_EQ(heap->nativeObjectCount(), 0);
    const HeapMemUsage u = heap->memUsage();
    EXPECT_EQ(u.headers, 80 * u.nOfPools) << "each pool is one free block";
}

TEST_F(HeapTest, ReferenceBoxesAndGraphicsHoldersKeepTheirTargets)
{
    const TAddr target = newObject(LINKED);
    const TAddr box = heap->allocate(4, 0, GC_CODE_REFERENCE);
    setWord(box, 0, TWord(target));
    const TAddr container = heap->create<Counted>(8, GC_CODE_NATIVE);
    const TAddr bitmap = heap->create<Counted>(8, GC_CODE_NATIVE);
    const TAddr holder = heap->allocate(12, 0, GC_CODE_GRAPHICS_HOLDER);
    setWord(holder, 0, BITMAP_TYPE_ID);
    setWord(holder, 1, TWord(container));
    setWord(holder, 2, TWord(bitmap));
    const TAddr context = heap->allocate(12, 0, GC_CODE_GRAPHICS_HOLDER);
    setWord(context, 0, GRAPHICS_CONTEXT_TYPE_ID);
    setWord(context, 2, TWord(newObject(LINKED))); // word 2 of a context holder is not followed
    heap->addRoot(box);
    heap->addRoot(holder);
    heap->addRoot(context);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 6);
    EXPECT_EQ(Counted::live, 2);

    setWord(holder, 0, GRAPHICS_CONTEXT_TYPE_ID);
    heap->collect();
    EXPECT_EQ(Counted::live, 1) << "the bitmap is only followed for bitmap holders";

    setWord(holder, 0, 3);
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM);
    setWord(holder, 0, GRAPHICS_CONTEXT_TYPE_ID);
    for (TAddr root : {box, holder, context})
        heap->removeRoot(root);
}

TEST_F(HeapTest, VectorsOfReferencesKeepTheirElements)
{
    const TAddr x = newObject(LINKED), y = newObject(LINKED);
    const TAddr refs = newVector(true, {TWord(x), 0, TWord(y)});
    const TAddr words = newVector(false, {TWord(newObject(LINKED)), 5});
    heap->addRoot(refs);
    heap->addRoot(words);
    heap->collect();
    // refs: handle + vector + storage + x + y; words: handle + vector + storage.
    EXPECT_EQ(heap->nOfEntries(), 8);
    EXPECT_FALSE(isFree(x));
    EXPECT_FALSE(isFree(y));
    EXPECT_EQ(heap->objectAs<OVector<TWord>>(TAddr(word(words, 0)))->size(), 2);
    heap->removeRoot(refs);
    heap->removeRoot(words);
}

TEST_F(HeapTest, EmptyVectorHasNoStorageToTrace)
{
    const TAddr handle = newVector(true, {});
    heap->addRoot(handle);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 2);
    EXPECT_EQ(heap->objectAs<OVectorBase>(TAddr(word(handle, 0)))->storage(), 0u);
    heap->removeRoot(handle);
}

TEST_F(HeapTest, ArrayFieldsOfBytecodeObjectsAreTraced)
{
    const TAddr element = newObject(LINKED);
    const TAddr refs = newVector(true, {TWord(element)});
    const TAddr plain = newVector(false, {7});
    const TAddr owner = newObject(WITH_ARRAYS);
    // The fields hold the vectors themselves, as a handle's word 0 does.
    setWord(owner, 1, word(refs, 0));
    setWord(owner, 2, word(plain, 0));
    heap->addRoot(owner);
    heap->collect();
    // owner, element, two vectors with their storage; the handles are gone.
    EXPECT_EQ(heap->nOfEntries(), 6);
    EXPECT_FALSE(isFree(element));
    heap->removeRoot(owner);
}

TEST_F(HeapTest, DeepChainIsMarkedWithoutRecursion)
{
    const int length = 1000000;
    const TAddr head = newObject(LINKED);
    TAddr last = head;
    for (int i = 1; i < length; ++i) {
        const TAddr next = newObject(LINKED);
        setWord(last, 1, TWord(next));
        last = next;
    }
    heap->addRoot(head);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), length);
    heap->removeRoot(head);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 0);
}

TEST_F(HeapTest, MarkErrorsFollowTheKindOfTheReachedBlock)
{
    const TAddr freed = newObject(LINKED);
    const TAddr holder = newObject(LINKED);
    heap->free(freed);
    setWord(holder, 1, TWord(freed));
    EXPECT_EQ(errorOf([&] { heap->markObject(holder); }), Lumbra::EVM) << "reference into free space";

    const TAddr stranger = newObject(99);
    EXPECT_EQ(errorOf([&] { heap->markObject(stranger); }), Lumbra::EInvalidArgument);

    EXPECT_EQ(errorOf([&] { heap->markObject(heap->poolStart(0) + 24); }), Lumbra::EVM) << "terminator";
    EXPECT_EQ(errorOf([&] { heap->markIfInPools(TWord(heap->poolStart(0) + 30)); }), Lumbra::EVM);
    EXPECT_EQ(errorOf([&] { heap->markIfInPools(12345); }), 0) << "not a heap address";

    // Class 1 has two array slots but only one flag: the traced slot comes first.
    arrayIsReference[WITH_ARRAYS].removeLast();
    const TAddr owner = newObject(WITH_ARRAYS);
    setWord(owner, 1, TWord(freed));
    EXPECT_EQ(errorOf([&] { heap->markObject(owner); }), Lumbra::EVM);
    setWord(owner, 1, 0);
    EXPECT_EQ(errorOf([&] { heap->markObject(owner); }), Lumbra::EInvalidArgument);
    heap->sweep(); // clears marks (and releases all)
}

// Marks left by a failed trace would stop the next trace early and let the
// sweep release children of reachable blocks: a failed trace clears them.
TEST_F(HeapTest, FailedTraceLeavesNoMarksBehind)
{
    const TAddr root = newObject(LINKED);
    const TAddr child = newObject(LINKED);
    const TAddr grandchild = newObject(LINKED);
    const TAddr freed = newObject(LINKED);
    heap->free(freed);
    setWord(root, 1, TWord(freed));
    setWord(root, 2, TWord(child));
    setWord(child, 1, TWord(grandchild));
    heap->addRoot(root);
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM);
    EXPECT_EQ(header(root).marked, 0);
    EXPECT_EQ(heap->nOfEntries(), 3) << "a failed trace releases nothing";
    setWord(root, 1, 0);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 3);
    EXPECT_FALSE(isFree(grandchild));
    heap->removeRoot(root);
}

TEST_F(HeapTest, MarkIfInPoolsMarksTheEnclosingBlock)
{
    const TAddr a = newObject(LINKED);
    const TAddr b = newObject(LINKED);
    setWord(a, 1, TWord(b));
    heap->markIfInPools(TWord(a + 24 + 5)); // an interior address of a
    EXPECT_EQ(header(a).marked, 1);
    EXPECT_EQ(header(b).marked, 1);
    heap->sweep();
    EXPECT_EQ(heap->nOfEntries(), 2);
    heap->sweep();
    EXPECT_EQ(heap->nOfEntries(), 0);
}

TEST_F(HeapTest, StreamHolderReleasesItsStream)
{
    const TAddr holder = heap->allocate(8, 0, GC_CODE_STREAM_HOLDER);
    setWord(holder, 0, FILE_READER_TYPE_ID);
    EXPECT_EQ(heap->streamOf(holder), nullptr);
    auto* stream = new Counted();
    heap->attachStream(holder, stream);
    EXPECT_EQ(heap->streamOf(holder), stream);
    heap->attachStream(holder, new Counted()); // replaces and destroys the first
    EXPECT_EQ(Counted::live, 1);
    heap->collect();
    EXPECT_EQ(Counted::live, 0);
    EXPECT_EQ(heap->nOfEntries(), 0);
}

TEST_F(HeapTest, HostMemoryOfHeldObjectsIsBoundedUntilTheyAreCollected)
{
    heap->setHostBytesLimit(1000);
    heap->create<Counted>(12, GC_CODE_NATIVE, 600);
    const TAddr kept = heap->create<Counted>(12, GC_CODE_NATIVE, 400);
    EXPECT_THROW(heap->create<Counted>(12, GC_CODE_NATIVE, 1), std::bad_alloc);
    EXPECT_EQ(Counted::live, 2); // the refused object is destroyed, no block is left for it
    EXPECT_EQ(heap->nOfEntries(), 2);
    heap->create<Counted>(12, GC_CODE_NATIVE, 0);
    heap->addRoot(kept);
    heap->collect();
    EXPECT_EQ(heap->hostBytesHeld(), 400);
    heap->create<Counted>(12, GC_CODE_NATIVE, 600);
    EXPECT_EQ(heap->hostBytesHeld(), 1000);
    heap->removeRoot(kept);
    heap->collect();
    EXPECT_EQ(heap->hostBytesHeld(), 0);
}

} // namespace

TEST_F(HeapTest, ReferenceBoxesHoldingPlainValuesDoNotFailTheCollection)
{
    const TAddr boxedInt = heap->allocate(4, 0, GC_CODE_REFERENCE);
    setWord(boxedInt, 0, 42); // an int passed at reference level 1
    const TAddr boxedNegative = heap->allocate(4, 0, GC_CODE_REFERENCE);
    setWord(boxedNegative, 0, -7);
    heap->addRoot(boxedInt);
    heap->addRoot(boxedNegative);
    heap->collect();
    EXPECT_EQ(heap->nOfEntries(), 2);

    // Inside a pool the word is still a reference: one into free space fails.
    const TAddr dropped = heap->allocate(16, 0, GC_CODE_NATIVE);
    heap->free(dropped);
    setWord(boxedInt, 0, TWord(dropped));
    EXPECT_EQ(errorOf([&] { heap->collect(); }), Lumbra::EVM);
    setWord(boxedInt, 0, 0);
    heap->removeRoot(boxedInt);
    heap->removeRoot(boxedNegative);
}
