// The Hash native group (34): digests of byte vectors, in one step or over
// the bytes appended to a Hash object. Results are new byte vectors in new
// reference boxes.
// Before any Qt header: Qt defines `slots` as a macro, which NativeCallFrame uses as a name.
#include "natives/stringNativeCall.h"

#include "natives/NativeFunctions.h"
#include "natives/NativeGroups.h"
#include "natives/vectorNative.h"
#include "values/Hash.h"

using Lumbra::Hash;

namespace {

using ByteVector = OVector<ByteElement>;

// The bytes of the vector in a reference box (null box or vector:
// NullPointerException), read in place: nothing is copied out of the arena.
QByteArrayView bytesOf(NativeCallFrame& call, int i)
{
    const ByteVector& v = *call.vm.heap().objectAs<ByteVector>(TAddr(call.vm.wordAt(TAddr(call.arg(i)))));
    return QByteArrayView(reinterpret_cast<const char*>(v.constData()), v.size());
}

void leaveBytes(NativeCallFrame& call, const QByteArray& bytes)
{
    const TAddr vector = newEmptyVector(call.vm, 1);
    ByteVector& v = *call.vm.heap().objectAs<ByteVector>(vector);
    if (!bytes.isEmpty())
        v.insert(0, reinterpret_cast<const ByteElement*>(bytes.constData()), int(bytes.size()));
    call.leave(call.vm.newBox(TWord(vector)));
}

Hash& hashOf(NativeCallFrame& call, int i)
{
    return *call.vm.heap().objectAs<Hash>(TAddr(call.vm.wordAt(TAddr(call.arg(i)))));
}

} // namespace

void hashNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, HashFn(native));
    switch (HashFn(native)) {
    case HashFn::create: {
        call.take();
        const TAddr box = TAddr(call.arg(0));
        vm.wordAt(box); // checks the box before anything is made
        vm.arena().storeWord(box, TWord(vm.heap().create<Hash>(Hash::BLOCK_SIZE, GC_CODE_HASH, call.arg(1))));
        call.leaveNothing();
        return;
    }
    case HashFn::digest:
        call.take();
        leaveBytes(call, Hash::digestOf(call.arg(1), bytesOf(call, 0)));
        return;
    case HashFn::update: {
        call.take();
        Hash& hash = hashOf(call, 0);
        const QByteArrayView bytes = bytesOf(call, 1);
        hash.append(bytes.data(), bytes.size());
        call.leaveNothing();
        return;
    }
    case HashFn::finish:
        call.take();
        leaveBytes(call, hashOf(call, 0).digest());
        return;
    }
}
