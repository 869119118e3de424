// OString: the machine's mutable UTF-16 string with copy-on-write sharing.
//
// The string object holds one pointer to a shared StringData (null when the
// string is empty). StringData lives in host memory, so bytecode can never
// reach the length or reference count; the character buffer lives in the
// machine's arena because bytecode may address single characters in place.
//
// Ranges are inclusive (start, end); (0, -1) is the empty range.
#pragma once

#include "Arena.h"
#include "GCObject.h"
#include "OStringLists.h"

#include <string>
#include <string_view>

class VUvarString;

// The shared character buffer of one or more OString objects.
struct StringData {
    TAddr chars = 0;      // arena address of capacity + 1 units, 0-terminated
    int refCount = 0;
    int capacity = 0;
    int length = 0;
    Lumbra::Arena* arena = nullptr;

    char16_t* units() const { return reinterpret_cast<char16_t*>(arena->raw(chars)); }

    // (int)(n * 1.2), at least 10.
    static int capacityFor(int length);
    // A buffer for `length` characters (capacity rule); refCount 0, not filled
    // except for the terminator.
    static StringData* create(int length);
    // `length` as an int after checking it against the largest string;
    // throws std::bad_alloc beyond it.
    static int fitLength(TInt64 length);
    static void destroy(StringData* data);
    // Takes the capacity the rule gives for `length` > capacity where the
    // buffer lies, when the arena has the room there; false otherwise.
    bool growInPlace(int length);
};

class OString : public GCObject {
public:
    // Size of a string block in the managed heap.
    static constexpr TUint32 BLOCK_SIZE = 8;

    // ---- construction (OString.cpp)
    OString() = default;
    OString(const OString& other);
    OString(OString&& other) noexcept;
    OString& operator=(const OString& other);
    OString& operator=(OString&& other) noexcept;
    ~OString() override;

    // NUL-terminated Latin-1 text from `start`; a start outside the text gives empty.
    static OString fromLatin1(const char* text, int start = 0);
    // Latin-1 bytes [start, end]; start < 0 or end < start gives empty.
    static OString fromLatin1(const char* bytes, int start, int end);
    static OString fromUtf16(const char16_t* text, int start = 0);
    static OString fromUtf16(const char16_t* units, int start, int end);
    static OString fromU16(std::u16string_view text);
    static OString fromVUvar(const VUvarString& text);
    // `count` copies of `unit`; count < 0 raises code 6.
    static OString filled(char16_t unit, int count);
    // Range [start, end] of `source`; the whole source shares its data.
    static OString substring(const OString& source, int start, int end);
    // From `start` to the end; a start outside the string gives empty.
    static OString tail(const OString& source, int start);
    // Characters start, start + step, ... up to end.
    static OString stepped(const OString& source, int start, int end, int step);
    // `source` repeated `count` times.
    static OString repeated(const OString& source, int count);

    // ---- numbers (OStringNumbers.cpp)
    static OString fromInt(TInt32 value);
    static OString fromInt64(TInt64 value);
    // Unsigned text in radix 2..36 with lower-case letters; other radixes give empty.
    static OString fromUnsigned(TUint32 value, int radix);
    TInt32 parseInt() const;
    TInt32 parseInt(int radix) const;

    // ---- UTF-8 (OStringUtf8.cpp)
    static OString fromUtf8(const OStringBytes& bytes);
    static OString fromUtf8(const unsigned char* bytes, int count);
    OStringBytes toUtf8() const;

    // ---- queries (OString.cpp)
    int length() const { return d ? d->length : 0; }
    bool isEmpty() const { return d == nullptr; }
    char16_t charAt(int index) const;
    char16_t first() const;
    char16_t last() const;
    // Arena address of the character at `index` (code 2 when outside).
    TAddr charAddress(int index) const;
    // Host view of the characters, 0-terminated; null for the empty string.
    const char16_t* constData() const { return d ? d->units() : nullptr; }
    const unsigned short* utf16() const { return reinterpret_cast<const unsigned short*>(constData()); }
    bool sharesDataWith(const OString& other) const { return d != nullptr && d == other.d; }
    int capacity() const { return d ? d->capacity : 0; }
    std::u16string toU16() const;
    VUvarString toVUvar() const;

    // ---- comparing and searching (OStringSearch.cpp)
    int compare(const OString& other, TBool caseSensitive) const;
    bool equals(const OString& other, TBool caseSensitive) const;
    int compareRegion(const OString& other, int start, int end, TBool caseSensitive) const;
    bool regionEquals(const OString& other, int start, int end, TBool caseSensitive) const;
    bool startsWith(const OString& prefix, TBool caseSensitive) const;
    bool endsWith(const OString& suffix, TBool caseSensitive) const;
    int indexOf(const OString& pattern, int start, int end, TBool caseSensitive) const;
    int lastIndexOf(const OString& pattern, int start, int end, TBool caseSensitive) const;
    int count(const OString& pattern, int start, int end, TBool caseSensitive) const;
    // Most frequent character in the range, lower-cased when not case sensitive;
    // -1 for the empty range.
    int mostFrequentChar(int start, int end, TBool caseSensitive) const;

    bool operator==(const OString& other) const { return compare(other, true) == 0; }
    bool operator!=(const OString& other) const { return compare(other, true) != 0; }
    bool operator<(const OString& other) const { return compare(other, true) < 0; }
    bool operator<=(const OString& other) const { return compare(other, true) <= 0; }
    bool operator>(const OString& other) const { return compare(other, true) > 0; }
    bool operator>=(const OString& other) const { return compare(other, true) >= 0; }

    // ---- editing (OStringEdit.cpp)
    void insertTo(int position, const OString& other, int start, int end);
    void append(const OString& other);
    void append(char16_t unit);
    void prepend(const OString& other);
    void replaceRange(int start, int end, const OString& replacement);
    void removeRange(int start, int end);
    void removeAt(int index);
    void removeHead(int n);
    void removeTail(int n);
    void clear();
    void repeat(int count);

    // ---- pattern edits (OStringReplace.cpp)
    void removeFirst(const OString& pattern, int start, int end, TBool caseSensitive);
    void removeLast(const OString& pattern, int start, int end, TBool caseSensitive);
    void removeAll(const OString& pattern, int start, int end, TBool caseSensitive);
    void replaceFirst(const OString& pattern, const OString& replacement, int start, int end, TBool caseSensitive);
    void replaceLast(const OString& pattern, const OString& replacement, int start, int end, TBool caseSensitive);
    void replaceAll(const OString& pattern, const OString& replacement, int start, int end, TBool caseSensitive);

    // ---- whitespace and case (OStringCase.cpp)
    void trimStart();
    void trimEnd();
    // Trims both ends and collapses inner whitespace runs to their first unit.
    void trim();
    void toLower();
    void toUpper();

    // ---- splitting (OStringSplit.cpp)
    OStringPieces split(const OString& separator, TBool caseSensitive) const;

private:
    void attach(StringData* data);
    void detach();
    // Replaces `removed` units at `position` by `count` units of `units`.
    // `removing` selects the in-place rule of the removing operations.
    void splice(int position, int removed, const char16_t* units, int count, bool removing);
    // Takes a freshly built buffer (refCount 0) in place of the current one.
    void adopt(StringData* data);
    // Replaces the current data by a fresh buffer of `length` > 0 characters
    // and returns it for filling.
    char16_t* resetTo(int length);
    // Rebuilds the string from the match positions of `pattern`.
    void replaceMatches(const OStringPositions& matches, int patternLength, const OString& replacement);
    // Maps every unit, in place when the buffer is not shared.
    void mapCase(char16_t (*map)(char16_t));
    OStringPositions findAll(const OString& pattern, int start, int end, TBool caseSensitive) const;

    StringData* d = nullptr;
};
