// Editing by position: insert, append, replace and remove ranges, repeat.
#include "OString.h"
#include "OStringUnits.h"

#include <cstring>

using OStringUnits::checkSpan;

void OString::insertTo(int position, const OString& other, int start, int end)
{
    const bool any = checkSpan(start, end, other.length());
    if (position < 0 || position > length())
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    if (!any)
        return;
    if (isEmpty() && start == 0 && end == other.length() - 1) {
        *this = other;
        return;
    }
    splice(position, 0, other.constData() + start, end - start + 1, false);
}

void OString::append(const OString& other)
{
    insertTo(length(), other, 0, other.length() - 1);
}

void OString::append(char16_t unit)
{
    if (d && d->refCount == 1 && d->length < d->capacity) {
        char16_t* buffer = d->units();
        buffer[d->length++] = unit;
        buffer[d->length] = 0;
        return;
    }
    splice(length(), 0, &unit, 1, false);
}

void OString::prepend(const OString& other)
{
    insertTo(0, other, 0, other.length() - 1);
}

void OString::replaceRange(int start, int end, const OString& replacement)
{
    if (replacement.isEmpty()) {
        removeRange(start, end);
        return;
    }
    if (!checkSpan(start, end, length()))
        return;
    if (start == 0 && end == length() - 1 && d != replacement.d) {
        *this = replacement;
        return;
    }
    splice(start, end - start + 1, replacement.constData(), replacement.length(), false);
}

void OString::removeRange(int start, int end)
{
    if (start < 0 || start > end || end >= length())
        Lumbra::raiseError(Lumbra::ERange);
    splice(start, end - start + 1, nullptr, 0, true);
}

void OString::removeAt(int index)
{
    if (index < 0 || index >= length())
        Lumbra::raiseError(Lumbra::EIndexOutOfBounds);
    splice(index, 1, nullptr, 0, true);
}

void OString::removeHead(int n)
{
    if (n < 0 || n > length())
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (n > 0)
        splice(0, n, nullptr, 0, true);
}

void OString::removeTail(int n)
{
    if (n < 0 || n > length())
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (n > 0)
        splice(length() - n, n, nullptr, 0, true);
}

void OString::clear()
{
    detach();
}

void OString::repeat(int count)
{
    if (count < 0)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    if (count == 0) {
        clear();
        return;
    }
    if (count == 1 || isEmpty())
        return;
    const int n = length();
    const int newLength = StringData::fitLength(TInt64(n) * count);
    if (d->refCount == 1 && newLength <= d->capacity) {
        char16_t* buffer = d->units();
        for (int i = 1; i < count; ++i)
            std::memcpy(buffer + TInt64(i) * n, buffer, size_t(n) * 2);
        d->length = newLength;
        buffer[newLength] = 0;
        return;
    }
    *this = repeated(*this, count);
}
