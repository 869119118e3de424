// The Encoder group (28): UTF-8 between Strings and byte vectors, with the
// managed string's rules (each UTF-16 unit encoded by itself; a malformed
// sequence raises DataFormatException). Arguments sit above an unread
// receiver slot that takes the result.
#include "natives/NativeFunctions.h"
#include "natives/fileNativeCall.h"

void encoderNative(VirtualMachine& vm, int native)
{
    NativeCallFrame call(vm, EncoderFn(native));
    switch (EncoderFn(native)) {
    case EncoderFn::encodeUtf8: { // receiver, String -> byte vector
        call.take();
        const OString& text = call.str(1);
        // Encoded straight into the new vector: no host copy as large as the text.
        const std::u16string_view units(text.constData(), size_t(text.length()));
        const int length = Lumbra::utf8Length(units);
        const TAddr vector = newEmptyVector(vm, int(sizeof(ByteElement)));
        Lumbra::writeUtf8(units, reinterpret_cast<char*>(vm.heap().objectAs<ByteVector>(vector)->appendCleared(length)));
        call.leave(vm.newBox(TWord(vector)));
        return;
    }
    case EncoderFn::decodeUtf8: { // receiver, byte vector -> String
        call.take();
        const ByteVector& bytes = byteVectorArg(vm, call.arg(1));
        const OString text =
            OString::fromUtf8(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
        call.leave(vm.newStringBox(text));
        return;
    }
    }
}
