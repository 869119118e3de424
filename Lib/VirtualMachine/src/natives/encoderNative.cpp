// The Encoder group (28): UTF-8 between Strings and byte vectors, with the
// managed string's rules (each UTF-16 unit encoded by itself; a malformed
// sequence raises DataFormatException). Arguments sit above an unread
// receiver slot that takes the result.
#include "fileNativeCall.h"

void encoderNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm);
    switch (native) {
    case 1: { // receiver, String -> byte vector
        call.take(2);
        const OString& text = call.str(1);
        // The conversion OString::toUtf8 uses, without a temporary managed array.
        const std::string bytes = Lumbra::u16ToUtf8(std::u16string_view(text.constData(), size_t(text.length())));
        call.leave(newByteVectorBox(vm, bytes.data(), int(bytes.size())));
        return;
    }
    case 2: { // receiver, byte vector -> String
        call.take(2);
        const ByteVector& bytes = byteVectorArg(vm, call.arg(1));
        const OString text =
            OString::fromUtf8(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
        call.leave(vm.newStringBox(text));
        return;
    }
    default:
        undefinedNativeFunction(vm);
    }
}
