#include "VUvarString.h"

#include <QChar>
#include <QString>

#include <climits>
#include <cstring>

namespace {

typedef unsigned short Unit;

// Room reserved for a string built from a terminated text of `length` units.
int roomForText(size_t length)
{
    if (length == 0)
        return 10;
    if (length > size_t(INT_MAX - 11))
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    return int(length) + 11;
}

// Room reserved for a string made for a requested length.
int roomForLength(int length)
{
    if (length <= 0)
        return 7;
    if (length > INT_MAX - 6)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    return length + 6;
}

size_t unitLength(const Unit* text)
{
    size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

Unit foldCase(Unit u, bool caseSensitive)
{
    return caseSensitive ? u : QChar(u).toLower().unicode();
}

bool unitsMatch(const Unit* a, const Unit* b, int n, bool caseSensitive)
{
    for (int i = 0; i < n; ++i) {
        if (foldCase(a[i], caseSensitive) != foldCase(b[i], caseSensitive))
            return false;
    }
    return true;
}

} // namespace

VUvarString::VUvarString() = default;

VUvarString::VUvarString(const char* text)
{
    if (!text)
        Lumbra::raiseError(Lumbra::ENullPointer);
    const size_t length = std::strlen(text);
    reserve(roomForText(length));
    for (size_t i = 0; i < length; ++i)
        Vec::append(static_cast<unsigned char>(text[i]));
}

VUvarString::VUvarString(const char* bytes, int length)
{
    reserve(roomForLength(length));
    if (length <= 0)
        return;
    if (!bytes)
        Lumbra::raiseError(Lumbra::ENullPointer);
    for (int i = 0; i < length; ++i)
        Vec::append(static_cast<unsigned char>(bytes[i]));
}

VUvarString::VUvarString(const Unit* text)
{
    if (!text)
        Lumbra::raiseError(Lumbra::ENullPointer);
    const size_t length = unitLength(text);
    reserve(roomForText(length));
    Vec::append(text, int(length));
}

VUvarString::VUvarString(const Unit* units, int count)
{
    reserve(roomForLength(count));
    if (count <= 0)
        return;
    if (!units)
        Lumbra::raiseError(Lumbra::ENullPointer);
    Vec::append(units, count);
}

VUvarString::VUvarString(int requestedLength)
{
    reserve(roomForLength(requestedLength));
}

VUvarString VUvarString::fromInt(TInt32 value)
{
    // Digits of the magnitude, taken wide so the least value has one too.
    TInt64 magnitude = value < 0 ? -TInt64(value) : TInt64(value);
    char digits[16];
    int pos = sizeof digits;
    digits[--pos] = 0;
    do {
        digits[--pos] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--pos] = '-';
    return VUvarString(digits + pos);
}

VUvarString VUvarString::fromU16(std::u16string_view text)
{
    return VUvarString(reinterpret_cast<const Unit*>(text.data()), int(text.size()));
}

VUvarString VUvarString::fromQString(const QString& text)
{
    return VUvarString(reinterpret_cast<const Unit*>(text.utf16()), int(text.size()));
}

VUvarString VUvarString::mid(int start, int length) const
{
    if (start < 0 || length < 0 || TInt64(start) + length > count())
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    return VUvarString(data() + start, length);
}

VUvarString VUvarString::mid(int start) const
{
    if (start < 0 || start > count())
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    return mid(start, count() - start);
}

void VUvarString::append(const VUvarString& other)
{
    const int n = other.count();
    if (n == 0)
        return;
    if (TInt64(count()) + n > INT_MAX)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (capacity() < count() + n)
        reserve(count() + n);
    // `other` may be this string: its first n units stay where they are,
    // and the room reserved above means no reallocation below.
    for (int i = 0; i < n; ++i)
        Vec::append(other.data()[i]);
}

int VUvarString::indexOf(const VUvarString& pattern, int start, int length, bool caseSensitive) const
{
    if (start < 0 || start > count())
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    if (length < 0)
        length = count() - start;
    else if (TInt64(start) + length > count())
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    const int patternLength = pattern.count();
    if (patternLength == 0 || isEmpty())
        return -1;
    // Every candidate start in turn: a failed partial match resumes one
    // position after where it began.
    const int lastStart = start + length - patternLength;
    for (int at = start; at <= lastStart; ++at) {
        if (unitsMatch(data() + at, pattern.data(), patternLength, caseSensitive))
            return at;
    }
    return -1;
}

bool VUvarString::startsWith(const VUvarString& prefix, bool caseSensitive) const
{
    return prefix.count() <= count() && unitsMatch(data(), prefix.data(), prefix.count(), caseSensitive);
}

bool VUvarString::endsWith(const VUvarString& suffix, bool caseSensitive) const
{
    const int at = count() - suffix.count();
    return at >= 0 && unitsMatch(data() + at, suffix.data(), suffix.count(), caseSensitive);
}

void VUvarString::toUpper()
{
    for (Unit& u : *this)
        u = QChar(u).toUpper().unicode();
}

void VUvarString::replaceAll(const VUvarString& pattern, const VUvarString& replacement, bool caseSensitive)
{
    if (pattern.isEmpty())
        return;
    if (pattern.count() == 1 && replacement.count() == 1) {
        // One unit for one: overwrite in place. A single left-to-right pass
        // gives the same result as restarting from 0 after every hit, and
        // also ends when the replacement itself matches the pattern.
        const Unit wanted = foldCase(pattern.data()[0], caseSensitive);
        const Unit with = replacement.data()[0];
        for (Unit& u : *this) {
            if (foldCase(u, caseSensitive) == wanted)
                u = with;
        }
        return;
    }
    VUvarString result(count());
    int from = 0;
    for (int hit = indexOf(pattern, 0, -1, caseSensitive); hit >= 0;
         hit = indexOf(pattern, from, -1, caseSensitive)) {
        result.append(data() + from, hit - from);
        result.append(replacement);
        from = hit + pattern.count();
    }
    if (from == 0)
        return;
    result.append(data() + from, count() - from);
    *this = std::move(result);
}

std::string VUvarString::toLatin1() const
{
    std::string out;
    out.reserve(size_t(count()));
    for (Unit u : *this)
        out.push_back(char(u & 0xFF));
    return out;
}

std::u16string VUvarString::toU16() const
{
    return std::u16string(reinterpret_cast<const char16_t*>(data()), size_t(count()));
}

std::string VUvarString::toUtf8() const
{
    return toQString().toStdString();
}

QString VUvarString::toQString() const
{
    return QString(reinterpret_cast<const QChar*>(data()), count());
}

bool VUvarString::operator==(const VUvarString& other) const
{
    return count() == other.count() &&
           (isEmpty() || std::memcmp(data(), other.data(), sizeof(Unit) * size_t(count())) == 0);
}
