// VUvarString (Str16): the host's UTF-16 string, a Vec of code units without
// a terminating 0 inside its count.
#pragma once

#include "Vec.h"

#include <string>
#include <string_view>

class QString;

class VUvarString : public Vec<unsigned short> {
public:
    VUvarString();
    explicit VUvarString(const char* text);             // NUL-terminated Latin-1; null raises code 1
    VUvarString(const char* bytes, int length);         // Latin-1 bytes
    explicit VUvarString(const unsigned short* text);   // NUL-terminated UTF-16; null raises code 1
    VUvarString(const unsigned short* units, int count);
    explicit VUvarString(int requestedLength);          // empty, room for requestedLength units
    VUvarString(const VUvarString& other) = default;
    VUvarString(VUvarString&& other) noexcept = default;
    VUvarString& operator=(const VUvarString& other) = default;
    VUvarString& operator=(VUvarString&& other) noexcept = default;
    ~VUvarString() override = default;

    static VUvarString fromInt(TInt32 value);
    static VUvarString fromU16(std::u16string_view text);
    static VUvarString fromQString(const QString& text);

    VUvarString mid(int start, int length) const;
    VUvarString mid(int start) const;
    void append(const VUvarString& other);
    using Vec<unsigned short>::append;
    int indexOf(const VUvarString& pattern, int start = 0, int length = -1, bool caseSensitive = true) const;
    bool startsWith(const VUvarString& prefix, bool caseSensitive = true) const;
    bool endsWith(const VUvarString& suffix, bool caseSensitive = true) const;
    void toUpper();
    void replaceAll(const VUvarString& pattern, const VUvarString& replacement, bool caseSensitive = true);

    // Owned NUL-terminated 8-bit text: each unit keeps its low 8 bits.
    std::string toLatin1() const;
    std::u16string toU16() const;
    std::string toUtf8() const;
    QString toQString() const;

    bool operator==(const VUvarString& other) const;
    bool operator!=(const VUvarString& other) const { return !(*this == other); }
};

typedef VUvarString Str16;
