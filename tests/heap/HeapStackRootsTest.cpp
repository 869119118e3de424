// Collections at a safepoint: words of the machine's stack queued as roots,
// then traced with the heap's roots. Nothing there raises; a trace that meets
// a damaged block frees nothing and leaves no marks.
#include "HeapTestSupport.h"

#include "OVector.h"

#include <functional>
#include <string>

namespace {

struct StackCase {
    const char* name;
    // Makes blocks and queues stack words; answers the blocks that must
    // survive and a repair for what it damaged (or an empty function).
    std::function<std::vector<TAddr>(HeapTest&, std::function<void()>&)> setUp;
    bool collects;
    int survivors; // blocks left after a collection that ran
};

} // namespace

class HeapStackRootsTest : public HeapTest {
public:
    TAddr object(int words = 3) { return newObject(LINKED, words); }
    void link(TAddr from, int field, TAddr to) { setWord(from, field, TWord(to)); }
    HeapEntry& entry(TAddr data) { return header(data); }
    TAddr vectorOf(const std::vector<TWord>& elements)
    {
        return TAddr(word(newVector(true, elements), 0)); // the vector, not its handle
    }
    VMHeap& theHeap() { return *heap; }
};

TEST_F(HeapStackRootsTest, StackWordsKeepWhatTheyReachAndDamageFreesNothing)
{
    const StackCase cases[] = {
        {"an interior address keeps its block and what that references",
         [](HeapTest& t, std::function<void()>&) {
             auto& h = static_cast<HeapStackRootsTest&>(t);
             const TAddr a = h.object(), b = h.object();
             h.link(a, 1, b);
             h.theHeap().markStackWord(TWord(a + 8));
             return std::vector<TAddr>{a, b};
         },
         true, 2},
        {"described slots holding a number or an interior address are skipped",
         [](HeapTest& t, std::function<void()>&) {
             auto& h = static_cast<HeapStackRootsTest&>(t);
             const TAddr a = h.object();
             h.theHeap().markStackReference(99999);
             h.theHeap().markStackReference(TWord(a + 4));
             h.theHeap().markStackReference(-4);
             return std::vector<TAddr>{};
         },
         true, 0},
        {"words into no live block are skipped",
         [](HeapTest& t, std::function<void()>&) {
             auto& h = static_cast<HeapStackRootsTest&>(t);
             const TAddr freed = h.object();
             h.theHeap().free(freed);
             for (TWord w : {TWord(freed), TWord(freed + 4), TWord(1), TWord(0x7FFFFFFF), TWord(-1)})
                 h.theHeap().markStackWord(w);
             return std::vector<TAddr>{};
         },
         true, 0},
        {"a vector found from a word keeps its storage and its elements",
         [](HeapTest& t, std::function<void()>&) {
             auto& h = static_cast<HeapStackRootsTest&>(t);
             const TAddr element = h.object();
             const TAddr vector = h.vectorOf({TWord(element), 12345});
             h.theHeap().markStackWord(TWord(vector));
             return std::vector<TAddr>{vector, element};
         },
         true, 3},
        {"a forged header reached from a stack word",
         [](HeapTest& t, std::function<void()>& repair) {
             auto& h = static_cast<HeapStackRootsTest&>(t);
             const TAddr a = h.object();
             const TUint32 size = h.entry(a).size;
             h.entry(a).size = 0x7FFFFFF0;
             repair = [&h, a, size] { h.entry(a).size = size; };
             h.theHeap().markStackWord(TWord(a));
             return std::vector<TAddr>{};
         },
         false, 0},
        {"a forged header reached through a field of a stack-held block",
         [](HeapTest& t, std::function<void()>& repair) {
             auto& h = static_cast<HeapStackRootsTest&>(t);
             const TAddr a = h.object(), b = h.object(), c = h.object();
             h.link(a, 2, c);
             h.link(a, 1, b);
             const TUint32 size = h.entry(b).size;
             h.entry(b).size = 4; // the footer disagrees
             repair = [&h, b, size] { h.entry(b).size = size; };
             h.theHeap().markStackWord(TWord(a));
             return std::vector<TAddr>{};
         },
         false, 0},
    };
    for (const StackCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::function<void()> repair;
        const TAddr garbage = newObject(LINKED);
        const std::vector<TAddr> kept = c.setUp(*this, repair);
        const int before = heap->nOfEntries();
        const int collections = heap->collectionCount();

        EXPECT_EQ(heap->collectQueued(), c.collects);

        if (c.collects) {
            // Survivors: what the words reach (a vector brings its storage).
            EXPECT_EQ(heap->collectionCount(), collections + 1);
            EXPECT_EQ(heap->nOfEntries(), c.survivors);
            for (TAddr k : kept) {
                EXPECT_FALSE(isFree(k));
                EXPECT_EQ(header(k).marked, 0);
            }
        } else {
            EXPECT_EQ(heap->nOfEntries(), before) << "a trace that met damage frees nothing";
            EXPECT_EQ(heap->collectionCount(), collections);
            EXPECT_EQ(header(garbage).marked, 0) << "and leaves no marks";
            EXPECT_FALSE(isFree(garbage));
        }
        if (repair)
            repair();
        heap->collect(); // no roots: everything goes
        EXPECT_EQ(heap->nOfEntries(), 0);
    }
}
