#include "VMError.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

void lumbraAssertFailed(const char* text, const char* file, int line)
{
    // An input can reach some of these checks: end with status 1 and one
    // line, never a signal. Nothing is unwound or destroyed, since the state
    // the check found broken may be what a destructor would walk.
    std::fflush(stdout);
    std::fprintf(stderr, "FATAL: ASSERT failed: %s (%s:%d)\n", text, file, line);
    std::fflush(stderr);
    std::_Exit(1);
}

namespace Lumbra {

namespace {

struct LastError {
    TInt32 code = 0;
    std::u16string message;
};

LastError& lastError()
{
    thread_local LastError record;
    return record;
}

} // namespace

std::u16string latin1ToU16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char c : text)
        out.push_back(c);
    return out;
}

int utf8Length(std::u16string_view text)
{
    TInt64 length = 0;
    for (char16_t u : text)
        length += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    if (length > INT_MAX)
        throw std::bad_alloc();
    return int(length);
}

void writeUtf8(std::u16string_view text, char* out)
{
    for (char16_t u : text) {
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        }
    }
}

std::string u16ToUtf8(std::u16string_view text)
{
    std::string out(size_t(utf8Length(text)), '\0');
    writeUtf8(text, out.data());
    return out;
}

std::u16string errorNameText(TInt32 code)
{
    switch (code) {
#define X(c, name, text) \
    case c:              \
        return latin1ToU16(text);
#include "ErrorCodes.def"
#undef X
    default:
        return latin1ToU16("UnknownException (CODE:" + std::to_string(code) + ")");
    }
}

void throwError(TInt32 code, std::u16string_view detail)
{
    // Composed apart from the record: the detail may be the record's own message.
    std::u16string message = errorNameText(code);
    if (!detail.empty()) {
        message += u": ";
        message += detail;
    }
    LastError& record = lastError();
    record.code = code;
    record.message = std::move(message);
    throw ErrorHandlingException();
}

void throwError(TInt32 code, std::string_view latin1Detail)
{
    throwError(code, std::u16string_view(latin1ToU16(latin1Detail)));
}

void raiseError(TInt32 code)
{
    throwError(code, std::u16string_view());
}

void fatalError(std::string_view message, TInt32 position)
{
    (void)message; // neither is recorded: the record holds the code-11 text
    (void)position;
    raiseError(EFatal);
}

TInt32 lastErrorCode()
{
    return lastError().code;
}

const std::u16string& lastErrorMessage()
{
    return lastError().message;
}

void clearLastError()
{
    lastError().code = 0;
    lastError().message.clear();
}

void checkRange(TInt32 base, TInt32 size, TInt32& first, TInt32& count)
{
    const TInt64 end = TInt64(base) + size;
    auto fail = [](const std::string& detail) { throwError(ERange, std::string_view(detail)); };
    if (count == 0) {
        if (first < 0)
            fail("Invalid Range, first should be non-negative (first=" + std::to_string(first) + ")");
    } else if (count < 0) {
        if (first < base)
            fail("Invalid Range, first should not be less than " + std::to_string(base) +
                 ", first = " + std::to_string(first));
        if (first > end)
            fail("Invalid Range, first should not be more than " + std::to_string(end) +
                 ", first = " + std::to_string(first));
        count = TInt32(end - first);
    } else {
        if (first < base)
            fail("Invalid Range, first should not be less than" + std::to_string(base) +
                 ", first =  " + std::to_string(first));
        if (TInt64(first) + count > end)
            fail("Invalid Range, range out of bounds: " + std::to_string(TInt64(first) + count) +
                 " > " + std::to_string(end));
    }
}

} // namespace Lumbra
