// Conversions between OString and the host's VUvarString.
#include "OString.h"
#include "VUvarString.h"

OString OString::fromVUvar(const VUvarString& text)
{
    return fromUtf16(reinterpret_cast<const char16_t*>(text.data()), 0, text.size() - 1);
}

VUvarString OString::toVUvar() const
{
    return VUvarString(utf16(), length());
}
