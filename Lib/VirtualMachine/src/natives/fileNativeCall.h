// Helpers shared by the file and stream native groups: the host services,
// byte vectors in and out, whole files read into byte vectors (also for the
// Bitmap and Font natives), and the position natives (2-4) that FileReader
// and FileWriter have in common, and the state natives (1-2) that the two
// stream groups have in common.
#pragma once

#include "OVector.h"
#include "host/StreamHolder.h"
#include "natives/NativeGroups.h"
#include "natives/stringNativeCall.h"
#include "values/ObjectWrapper.h"

#include <string>

using ByteVector = OVector<ByteElement>;

// The machine's host services; a machine without them cannot reach files
// (IOException).
FrameworkServices& fileServices(VirtualMachine& vm);

// The byte vector in the reference box `box` (a null box or a null vector
// raise NullPointerException "NULL pointer"; another kind raises VMException).
const ByteVector& byteVectorArg(VirtualMachine& vm, TWord box);

// A reference box holding a new byte vector of the `count` bytes at `bytes`.
TWord newByteVectorBox(VirtualMachine& vm, const void* bytes, int count);

// InvalidArgumentException with `detail`, IOException without one.
[[noreturn]] void invalidArgument(const char* detail);
[[noreturn]] void ioFailure();

// IOException "Could not open file: " followed by the path.
[[noreturn]] void couldNotOpen(const OString& path);

// The whole file `path` as a new managed byte vector (its address).
TAddr readFileIntoByteVector(VirtualMachine& vm, const OString& path);

// The bitmap (wrapped in its graphics holder) or bitmap font decoded from the
// file `path`, or 0 when the data is not an image. Raises InvalidArgumentException
// "Filename is empty", IOException "Could not open file: <path>",
// InvalidArgumentException "File is empty", or IOException when the read
// fails. Runs on the current machine.
TAddr LoadBitmapFromFile(const OString& path, TBool asFont);

// Natives 1 (close) and 2 (is open) of the stream groups on (holder);
// `attached` answers the holder's stream of the group's kind. A null holder or
// one without a stream is left alone and reports closed. A failed close
// raises IOException without detail; the stream is closed all the same. False when `native`
// is neither of them.
template <class AttachedStream>
bool runStreamStateNative(NativeCallFrame& call, int native, AttachedStream attached)
{
    if (native != 1 && native != 2)
        return false;
    call.take(1);
    const StreamHolder holder(call.vm, call.arg(0));
    auto* stream = holder.isNull() ? nullptr : (holder.*attached)();
    if (native == 1) {
        // A close that fails means written bytes never reached the file.
        if (stream && stream->close() != 0)
            ioFailure();
        call.leaveNothing();
    } else {
        call.leaveMachineTruth(stream && stream->isOpen());
    }
    return true;
}

// Natives 2 (seek), 3 (position) and 4 (size) on (holder[, pos]); `open`
// answers the holder's open stream. False when `native` is none of them.
template <class OpenStream>
bool runPositionNative(NativeCallFrame& call, int native, OpenStream open)
{
    switch (native) {
    case 2: {
        call.take(2);
        const TWord position = call.arg(1);
        if (position < 0)
            Lumbra::throwError(Lumbra::EInvalidArgument,
                               std::string_view("Position is less than zero: " + std::to_string(position)));
        if (!(StreamHolder(call.vm, call.arg(0)).*open)().seek(unsigned(position)))
            ioFailure();
        call.leaveNothing();
        return true;
    }
    case 3:
        call.take(1);
        call.leave((StreamHolder(call.vm, call.arg(0)).*open)().position());
        return true;
    case 4:
        call.take(1);
        call.leave((StreamHolder(call.vm, call.arg(0)).*open)().size());
        return true;
    default:
        return false;
    }
}
