// The Vector natives: one implementation templated on the element kind.
// Arguments are the words at the top of the stack (the last on top); a value
// argument takes one word per element word. Every check happens before the
// first change, so a failed native leaves its vectors as they were.
#include "natives/vectorNative.h"

#include "machine/VirtualMachine.h"
#include "natives/NativeCallFrame.h"
#include "natives/NativeFunctions.h"

#include <algorithm>
#include <typeinfo>
#include <vector>

using Lumbra::raiseError;

namespace {

// A broken internal assertion: the machine stops with a fatal error.
[[noreturn]] void stopMachine(VirtualMachine& vm, const char* what)
{
    vm.fatalError(OString::fromLatin1(what), vm.position());
    Lumbra::raiseError(Lumbra::EFatal); // fatalError never returns
}

// An inclusive element range; `end` is wide so that start + count cannot overflow.
struct Span {
    int start;
    TInt64 end;

    bool empty() const { return end < start; }
    bool inside(int size) const { return !empty() && end < size; }
    int length() const { return int(end - start + 1); }
};

// (start, count) from bytecode: start < 0 raises code 5, count < 0 runs to the end.
Span spanOf(TWord start, TWord count, int size)
{
    if (start < 0)
        raiseError(Lumbra::ERange);
    return Span{start, count < 0 ? TInt64(size) - 1 : TInt64(start) + count - 1};
}

// (start, length) with a plain length: negative lengths are empty.
Span plainSpan(TWord start, TWord length)
{
    if (start < 0)
        raiseError(Lumbra::ERange);
    return Span{start, TInt64(start) + std::max<TWord>(length, 0) - 1};
}

template <class E>
class VectorCall {
public:
    using Vector = OVector<E>;
    static constexpr int SLOTS = E::SLOTS;

    VectorCall(VirtualMachine& vm, bool primitive) : vm(vm), primitive(primitive) {}

    void run(int function);
    // The element read (8) and the append (19), also reached from the fast path.
    void get()
    {
        take(2);
        const E e = elementAt(vectorArg(0), arg(1));
        if (primitive)
            leaveElement(base + 1, e);
        else
            leave(e.word(0));
    }
    void append()
    {
        take(1 + SLOTS);
        vectorArg(0).appendValue(elementArg(1));
        leaveNothing();
    }
    // The element address (6): of the element's first word in a primitive
    // vector; an object vector's element word itself.
    void elementAddress()
    {
        take(2);
        const Vector& v = vectorArg(0);
        if (!primitive) {
            leave(elementAt(v, arg(1)).word(0));
            return;
        }
        // The address alone: the element is not read, but storage that is no
        // longer the vector's own is refused as a read would refuse it.
        const TWord index = arg(1);
        if (index < 0 || index >= v.size())
            raiseError(Lumbra::EIndexOutOfBounds);
        if (!vm.heap().ownsStorage(v.storage()))
            Lumbra::throwError(Lumbra::EVM, std::string_view("vector storage is not its own"));
        leave(TWord(v.storage() + TAddr(index) * TAddr(sizeof(E))));
    }

private:
    // The top `slots` words become the arguments.
    void take(int slots)
    {
        base = vm.topIndex() - slots + 1;
        if (base < 0)
            raiseError(Lumbra::EInvalidArgument);
    }
    TWord arg(int i) { return vm.slot(base + i); }
    Vector& vectorArg(int i) { return vectorOf(TAddr(arg(i))); }
    E elementArg(int i)
    {
        E e;
        for (int k = 0; k < SLOTS; ++k)
            e.setWord(k, arg(i + k));
        return e;
    }

    Vector& vectorOf(TAddr handle)
    {
        const TWord vector = vm.wordAt(handle);
        if (vector == 0)
            raiseError(Lumbra::ENullPointer);
        // Vectors are never derived from, so an exact type test suffices; it
        // is much cheaper than the cast in objectAs, which reports the mismatch.
        GCObject* object = vm.heap().objectAt(TAddr(vector));
        if (typeid(*object) != typeid(Vector))
            vm.heap().objectAs<Vector>(TAddr(vector));
        return *static_cast<Vector*>(object);
    }
    // A new vector stored into word 0 of the result handle in argument 0.
    Vector& newResult()
    {
        const TAddr handle = TAddr(arg(0));
        vm.wordAt(handle); // checks the handle before anything is made
        const TAddr vector = newVectorObject<E>(vm);
        vm.arena().storeWord(handle, TWord(vector));
        return *vm.heap().objectAs<Vector>(vector);
    }
    // A new vector in a new reference box, left in the first argument's slot.
    Vector& newBoxedResult()
    {
        const TAddr vector = newVectorObject<E>(vm);
        leave(vm.newBox(TWord(vector)));
        return *vm.heap().objectAs<Vector>(vector);
    }

    void leave(TWord word)
    {
        vm.slot(base) = word;
        vm.setTopIndex(base);
    }
    void leaveNothing() { vm.setTopIndex(base - 1); }
    // The element's words from slot `at` on, the last one becoming the top.
    void leaveElement(int at, const E& e)
    {
        for (int k = 0; k < SLOTS; ++k)
            vm.slot(at + k) = e.word(k);
        vm.setTopIndex(at + SLOTS - 1);
    }

    static const E& elementAt(const Vector& v, TWord index)
    {
        if (index < 0 || index >= v.size())
            raiseError(Lumbra::EIndexOutOfBounds);
        return v.constData()[index];
    }
    static void checkPosition(const Vector& v, TWord position)
    {
        if (position < 0 || position > v.size())
            raiseError(Lumbra::EIndexOutOfBounds);
    }
    // The elements of `span` in `v`, none when it does not lie inside.
    static int rangeOf(const Vector& v, const Span& span, const E*& first)
    {
        first = nullptr;
        if (!span.inside(v.size()))
            return 0;
        first = v.constData() + span.start;
        return span.length();
    }

    void insertRange(Vector& v, TWord position, const Vector& other, const Span& span)
    {
        checkPosition(v, position);
        const E* first;
        const int n = rangeOf(other, span, first);
        v.insert(position, first, n);
    }
    // Replaces `span` of v by n elements (the rules shared by 26, 27, 81 and 83).
    static void replaceSpan(Vector& v, const Span& span, const E* values, int n)
    {
        if (n == 0) {
            removeSpan(v, span);
            return;
        }
        if (span.inside(v.size()))
            v.replaceRange(span.start, span.length(), values, n);
    }
    static void removeSpan(Vector& v, const Span& span)
    {
        if (!span.inside(v.size()))
            raiseError(Lumbra::ERange);
        v.removeRange(span.start, span.length());
    }
    // Removes the first (or last) n elements: n = 0 keeps, otherwise 1..count.
    static void removeEnd(Vector& v, TWord n, bool head)
    {
        if (n == 0)
            return;
        if (n < 0 || n > v.size())
            raiseError(Lumbra::EInvalidArgument);
        v.removeRange(head ? 0 : v.size() - n, n);
    }
    // (start, count) of a vector of `size` elements, normalised by checkRange.
    static Span checkedSpan(TWord start, TWord count, int size)
    {
        Lumbra::checkRange(0, size, start, count);
        return Span{start, TInt64(start) + count - 1};
    }

    VirtualMachine& vm;
    bool primitive;
    int base = 0;
};

template <class E>
void VectorCall<E>::run(int function)
{
    switch (VectorFn(function)) {
    case VectorFn::reserved:
        stopMachine(vm, "EFalse");
    case VectorFn::copy: { // res, other
        take(2);
        const Vector& other = vectorArg(1);
        Vector& made = newResult();
        made.insert(0, other.constData(), other.size());
        leaveNothing();
        return;
    }
    case VectorFn::filled: { // res, value, count
        take(2 + SLOTS);
        const E value = elementArg(1);
        const TWord count = arg(1 + SLOTS);
        if (count < 0)
            raiseError(Lumbra::EInvalidArgument);
        Vector& made = newResult();
        if (count > 0) {
            made.append(value);
            made.repeat(count);
        }
        leaveNothing();
        return;
    }
    case VectorFn::nop:
        return;
    case VectorFn::everyStep: { // res, other, step
        take(3);
        const Vector& other = vectorArg(1);
        const TWord step = arg(2);
        if (step < 1)
            raiseError(Lumbra::EInvalidArgument);
        std::vector<E> picked;
        for (TInt64 i = 0; i < other.size(); i += step)
            picked.push_back(other.constData()[i]);
        newResult().insert(0, picked.data(), int(picked.size()));
        leaveNothing();
        return;
    }
    case VectorFn::elementAt: // v, index
        elementAddress();
        return;
    case VectorFn::referenceAt: { // v, index
        if (primitive)
            stopMachine(vm, "!bPrimitive");
        take(2);
        const Vector& v = vectorArg(0);
        elementAt(v, arg(1));
        leave(TWord(v.storage() + TAddr(arg(1)) * TAddr(sizeof(E))));
        return;
    }
    case VectorFn::get: // v, index
        get();
        return;
    case VectorFn::first:
    case VectorFn::last: { // v
        take(1);
        const Vector& v = vectorArg(0);
        if (v.isEmpty())
            raiseError(Lumbra::EIndexOutOfBounds);
        leaveElement(base, v.constData()[function == 9 ? 0 : v.size() - 1]);
        return;
    }
    case VectorFn::count:
        take(1);
        leave(vectorArg(0).size());
        return;
    case VectorFn::isEmpty:
        take(1);
        leave(oneOrZero(vectorArg(0).isEmpty()));
        return;
    case VectorFn::insertVector: { // v, other, index
        take(3);
        Vector& v = vectorArg(0);
        const Vector& other = vectorArg(1);
        checkPosition(v, arg(2));
        v.insert(arg(2), other.constData(), other.size());
        leaveNothing();
        return;
    }
    case VectorFn::insertRange: { // v, other, start, count, index
        take(5);
        Vector& v = vectorArg(0);
        const Vector& other = vectorArg(1);
        insertRange(v, arg(4), other, spanOf(arg(2), arg(3), other.size()));
        leaveNothing();
        return;
    }
    case VectorFn::insert: { // v, value, index
        take(2 + SLOTS);
        Vector& v = vectorArg(0);
        const TWord position = arg(1 + SLOTS);
        checkPosition(v, position);
        v.insert(position, elementArg(1));
        leaveNothing();
        return;
    }
    case VectorFn::prependVector:
    case VectorFn::appendVector: { // v, other
        take(2);
        Vector& v = vectorArg(0);
        const Vector& other = vectorArg(1);
        v.insert(function == 16 ? 0 : v.size(), other.constData(), other.size());
        leaveNothing();
        return;
    }
    case VectorFn::append:
        append();
        return;
    case VectorFn::prepend: // v, value
        take(1 + SLOTS);
        vectorArg(0).insert(0, elementArg(1));
        leaveNothing();
        return;
    case VectorFn::repeat: // v, times
        take(2);
        vectorArg(0).repeat(arg(1));
        leaveNothing();
        return;
    case VectorFn::removeAt: { // v, index
        take(2);
        Vector& v = vectorArg(0);
        elementAt(v, arg(1));
        v.removeAt(arg(1));
        leaveNothing();
        return;
    }
    case VectorFn::removeRange: { // v, start, count
        take(3);
        Vector& v = vectorArg(0);
        removeSpan(v, spanOf(arg(1), arg(2), v.size()));
        leaveNothing();
        return;
    }
    case VectorFn::removeHead:
    case VectorFn::removeTail: // v, n
        take(2);
        removeEnd(vectorArg(0), arg(1), function == 23);
        leaveNothing();
        return;
    case VectorFn::clear:
        take(1);
        vectorArg(0).clear();
        leaveNothing();
        return;
    case VectorFn::replaceRangeByVector: { // v, start, count, other
        take(4);
        Vector& v = vectorArg(0);
        const Vector& other = vectorArg(3);
        replaceSpan(v, spanOf(arg(1), arg(2), v.size()), other.constData(), other.size());
        leaveNothing();
        return;
    }
    case VectorFn::replaceRangeByValue: { // v, start, count, value
        take(3 + SLOTS);
        Vector& v = vectorArg(0);
        const E value = elementArg(3);
        replaceSpan(v, spanOf(arg(1), arg(2), v.size()), &value, 1);
        leaveNothing();
        return;
    }
    case VectorFn::copyRange: { // res, other, start, count
        take(4);
        const Vector& other = vectorArg(1);
        const E* first;
        const int n = rangeOf(other, spanOf(arg(2), arg(3), other.size()), first);
        newResult().insert(0, first, n);
        leaveNothing();
        return;
    }
    case VectorFn::single: { // res, value
        take(1 + SLOTS);
        const E value = elementArg(1);
        newResult().append(value);
        leaveNothing();
        return;
    }
    case VectorFn::replaceOrInsert: { // v, start, count, other
        take(4);
        Vector& v = vectorArg(0);
        const Vector& other = vectorArg(3);
        const Span span = checkedSpan(arg(1), arg(2), v.size());
        if (span.empty()) {
            checkPosition(v, span.start);
            v.insert(span.start, other.constData(), other.size());
        } else {
            replaceSpan(v, span, other.constData(), other.size());
        }
        leaveNothing();
        return;
    }
    case VectorFn::rangeCopy: { // other, start, count
        take(3);
        const Vector& other = vectorArg(0);
        const E* first;
        const int n = rangeOf(other, checkedSpan(arg(1), arg(2), other.size()), first);
        newBoxedResult().insert(0, first, n);
        return;
    }
    case VectorFn::replaceOrInsertRange: { // v, start, count, other, oStart, oCount
        take(6);
        Vector& v = vectorArg(0);
        const Vector& other = vectorArg(3);
        const Span span = spanOf(arg(1), arg(2), v.size());
        const Span from = plainSpan(arg(4), arg(5));
        if (arg(2) == 0) {
            insertRange(v, span.start, other, from);
        } else {
            const E* first;
            const int n = rangeOf(other, from, first);
            replaceSpan(v, span, first, n);
        }
        leaveNothing();
        return;
    }
    case VectorFn::joinRanges: { // a, s1, c1, b, s2, c2
        take(6);
        const Vector& a = vectorArg(0);
        const Vector& b = vectorArg(3);
        const E* fromB;
        const int nB = rangeOf(b, plainSpan(arg(1), arg(2)), fromB);
        const E* fromA;
        const int nA = rangeOf(a, plainSpan(arg(4), arg(5)), fromA);
        Vector& made = newBoxedResult();
        made.insert(0, fromB, nB);
        made.insert(nB, fromA, nA);
        return;
    }
    }
}

} // namespace

template <class Element>
TAddr newVectorObject(VirtualMachine& vm)
{
    return vm.heap().create<OVector<Element>>(VECTOR_OBJECT_BYTES, GC_CODE_VECTOR);
}

TAddr newObjectVectorHandle(VirtualMachine& vm, const TWord* elements, int n)
{
    const TAddr vector = newVectorObject<WordElement<1>>(vm);
    vm.heap().objectAs<OVector<WordElement<1>>>(vector)->insert(
        0, reinterpret_cast<const WordElement<1>*>(elements), n);
    const TAddr handle = vm.heap().allocate(VECTOR_HANDLE_BYTES, 0, GC_CODE_OBJECT_VECTOR_HANDLE);
    vm.arena().storeWord(handle, TWord(vector));
    vm.arena().storeWord(handle + 4, TWord(sizeof(WordElement<1>)));
    return handle;
}

namespace {

template <class E>
bool fastCall(VectorCall<E>&& call, int function)
{
    if (function == int(VectorFn::get))
        call.get();
    else if (function == int(VectorFn::append))
        call.append();
    else
        call.elementAddress();
    return true;
}

} // namespace

void vectorNative(VirtualMachine& vm, int group, int function, bool bPrimitive)
{
    switch (group) {
#define LUMBRA_RUN_VECTOR_GROUP(number, Element, references)                                       \
    case number:                                                                                   \
        VectorCall<Element>(vm, bPrimitive).run(function);                                         \
        return;
        LUMBRA_VECTOR_GROUPS(LUMBRA_RUN_VECTOR_GROUP)
#undef LUMBRA_RUN_VECTOR_GROUP
    default:
        stopMachine(vm, "EFalse");
    }
}

bool vectorFastCall(VirtualMachine& vm, int group, int function)
{
    if (function != int(VectorFn::elementAt) && function != int(VectorFn::get) && function != int(VectorFn::append))
        return false;
    switch (group) {
    case 1:
        return fastCall(VectorCall<ByteElement>(vm, true), function);
    case 3:
        return fastCall(VectorCall<WordElement<1>>(vm, true), function);
    case 7:
        return fastCall(VectorCall<WordElement<1>>(vm, false), function);
    default:
        return false;
    }
}

TAddr newEmptyVector(VirtualMachine& vm, int elementSize)
{
#define LUMBRA_NEW_PRIMITIVE_VECTOR(number, Element, references)                                   \
    if (!references && int(sizeof(Element)) == elementSize)                                        \
        return newVectorObject<Element>(vm);
    LUMBRA_VECTOR_GROUPS(LUMBRA_NEW_PRIMITIVE_VECTOR)
#undef LUMBRA_NEW_PRIMITIVE_VECTOR
    stopMachine(vm, "invalid vector element size");
}
