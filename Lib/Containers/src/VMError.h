// VM errors: a numbered code plus a message kept in a per-thread last-error
// record, carried by the empty ErrorHandlingException.
#pragma once

#include "LumbraTypes.h"

#include <string>
#include <string_view>

namespace Lumbra {

enum ErrorCode : TInt32 {
#define X(code, name, text) name = code,
#include "ErrorCodes.def"
#undef X
    EFatal = 11,       // fatal machine error
    EExitRequest = 12, // exit request from bytecode
};

// All information travels in the last-error record.
class ErrorHandlingException {};

// The name text heading the message of an error code.
std::u16string errorNameText(TInt32 code);

// Records code and message ("<name>" or "<name>: <detail>") and throws.
[[noreturn]] void throwError(TInt32 code, std::u16string_view detail);
[[noreturn]] void throwError(TInt32 code, std::string_view latin1Detail);
[[noreturn]] void raiseError(TInt32 code);
// A broken machine invariant: raises code 11; message and position are dropped.
[[noreturn]] void fatalError(std::string_view message, TInt32 position);

// Per-thread last-error record.
TInt32 lastErrorCode();
const std::u16string& lastErrorMessage();
void clearLastError();

// Validates `count` elements from `first` in a sequence of `size` elements.
// count < 0 means "to the end" and is replaced by the real count.
void checkRange(TInt32 base, TInt32 size, TInt32& first, TInt32& count);

std::u16string latin1ToU16(std::string_view text);
// UTF-8 with each UTF-16 unit encoded by itself (1 to 3 bytes).
std::string u16ToUtf8(std::u16string_view text);
// The length of that form (std::bad_alloc when it does not fit an int), and
// the form written to `out`, which must hold utf8Length(text) bytes, for
// encoding in place without a host copy.
int utf8Length(std::u16string_view text);
void writeUtf8(std::u16string_view text, char* out);

} // namespace Lumbra
