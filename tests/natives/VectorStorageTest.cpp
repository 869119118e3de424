// The storage rules of bytecode vectors, seen from the host: capacities,
// in-place edits versus new storage, vectors edited with their own elements,
// and how the collector traces vectors made by the natives.
#include "MachineTestSupport.h"
#include "natives/vectorNative.h"

namespace {

using Ints = OVector<WordElement<1>>;

class VectorStorage : public ::testing::Test {
protected:
    MachineTest::Machine machine;
    VMHeap& heap = machine.vm->heap();

    Ints& intsAt(TAddr vector) { return *heap.objectAs<Ints>(vector); }
    TAddr newIntsVector(std::initializer_list<int> values)
    {
        const TAddr vector = newEmptyVector(*machine.vm, 4);
        for (int x : values)
            intsAt(vector).append(WordElement<1>{{x}});
        return vector;
    }
    Ints& newInts(std::initializer_list<int> values) { return intsAt(newIntsVector(values)); }
    static std::vector<int> contents(const Ints& v)
    {
        std::vector<int> out;
        for (const WordElement<1>& e : v)
            out.push_back(e.word(0));
        return out;
    }
};

TEST_F(VectorStorage, EmptyVectorsOfEveryElementSize)
{
    for (int size : {1, 4, 8, 12, 16}) {
        const TAddr vector = newEmptyVector(*machine.vm, size);
        const auto* v = heap.objectAs<OVectorBase>(vector);
        EXPECT_EQ(v->elementSize(), size);
        EXPECT_EQ(v->storage(), 0u);
        EXPECT_EQ(heap.entry(VMHeap::entryOf(vector)).gcCode, GC_CODE_VECTOR);
    }
    EXPECT_THROW(newEmptyVector(*machine.vm, 2), Lumbra::ErrorHandlingException);
}

TEST_F(VectorStorage, ReplacementInPlaceOrInNewStorage)
{
    Ints& v = newInts({0, 1, 2, 3, 4});
    const TAddr first = v.storage();
    const WordElement<1> three[] = {{7}, {8}, {9}};
    v.replaceRange(1, 2, three, 3); // 6 elements fit in 10
    EXPECT_EQ(v.storage(), first);
    EXPECT_EQ(contents(v), (std::vector<int>{0, 7, 8, 9, 3, 4}));
    WordElement<1> many[8];
    for (int i = 0; i < 8; ++i)
        many[i] = {{100 + i}};
    v.replaceRange(0, 1, many, 8); // 13 elements: new storage
    EXPECT_NE(v.storage(), first);
    EXPECT_EQ(v.capacityOf(), 15);
    EXPECT_EQ(v.size(), 13);
    EXPECT_EQ(v[12].word(0), 4);
    v.replaceRange(0, 13, three, 3); // everything: a copy of the replacement
    EXPECT_EQ(v.capacityOf(), 10);
    EXPECT_EQ(contents(v), (std::vector<int>{7, 8, 9}));
    v.replaceRange(5, 1, three, 3); // outside: nothing
    EXPECT_EQ(contents(v), (std::vector<int>{7, 8, 9}));
}

TEST_F(VectorStorage, EditsWithTheVectorsOwnElements)
{
    Ints& v = newInts({1, 2, 3, 4});
    v.insert(1, v.constData(), 3); // in place, the source moves
    EXPECT_EQ(contents(v), (std::vector<int>{1, 1, 2, 3, 2, 3, 4}));
    v.replaceRange(0, 2, v.constData() + 4, 3); // in place, overlapping the tail
    EXPECT_EQ(contents(v), (std::vector<int>{2, 3, 4, 2, 3, 2, 3, 4}));
    v.insert(0, v.constData(), v.size()); // 16: new storage from the old one
    EXPECT_EQ(v.size(), 16);
    EXPECT_EQ(contents(v)[8], 2);
    EXPECT_EQ(contents(v)[15], 4);
}

TEST_F(VectorStorage, RepeatAndRemovalFollowTheCapacityRule)
{
    Ints& v = newInts({1, 2});
    const TAddr first = v.storage();
    v.repeat(5); // 10 fit
    EXPECT_EQ(v.storage(), first);
    EXPECT_EQ(v.size(), 10);
    v.repeat(2); // 20: new storage
    EXPECT_EQ(v.capacityOf(), 24);
    EXPECT_EQ(contents(v)[19], 2);
    const TAddr grown = v.storage();
    v.removeRange(0, 7); // 13 left, more than half of 24: in place
    EXPECT_EQ(v.storage(), grown);
    v.removeRange(0, 1); // 12 left, not more than half: new storage
    EXPECT_NE(v.storage(), grown);
    EXPECT_EQ(v.capacityOf(), 14);
    EXPECT_THROW(v.repeat(-1), Lumbra::ErrorHandlingException);
    v.repeat(0);
    EXPECT_EQ(v.storage(), 0u);
}

TEST_F(VectorStorage, CollectorTracesObjectVectorsButNotWordVectors)
{
    const TAddr kept = TAddr(machine.vm->newStringBox(OString::fromLatin1("kept")));
    const TAddr lookalike = TAddr(machine.vm->newStringBox(OString::fromLatin1("an int")));
    const TWord element = TWord(kept);
    const TAddr handle = newObjectVectorHandle(*machine.vm, &element, 1);
    EXPECT_EQ(heap.entry(VMHeap::entryOf(handle)).gcCode, GC_CODE_OBJECT_VECTOR_HANDLE);
    EXPECT_EQ(machine.vm->wordAt(handle, 1), 4);
    // A word vector holding a value equal to a block address keeps nothing alive.
    const TAddr words = newIntsVector({TWord(lookalike)});
    const TAddr wordHandle = heap.allocate(VECTOR_HANDLE_BYTES, 0, GC_CODE_VECTOR_HANDLE);
    machine.vm->arena().storeWord(wordHandle, TWord(words));
    heap.addRoot(handle);
    heap.addRoot(wordHandle);
    heap.collect();
    heap.validate();
    EXPECT_EQ(machine.vm->stringFromBox(TWord(kept)).toU16(), u"kept");
    // Two handles, two vectors, their storage, and the kept box with its
    // string; the look-alike's box and string are gone.
    EXPECT_EQ(heap.nOfEntries(), 8);
    heap.removeRoot(handle);
    heap.removeRoot(wordHandle);
}

TEST_F(VectorStorage, AVectorReachedThroughAPlainBoxKeepsItsStorage)
{
    // Natives 82 and 84 hand out vectors in reference boxes, not handles.
    const TAddr vector = newIntsVector({1, 2, 3});
    const TAddr box = TAddr(machine.vm->newBox(TWord(vector)));
    heap.addRoot(box);
    heap.collect();
    heap.validate();
    EXPECT_EQ(heap.nOfEntries(), 3) << "box, vector and storage";
    newIntsVector({7, 7, 7, 7}); // garbage that could reuse freed storage
    EXPECT_EQ(contents(intsAt(vector)), (std::vector<int>{1, 2, 3}));
    heap.removeRoot(box);
}

} // namespace
