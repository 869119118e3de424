// The Fixed value type: a 32.32 fixed-point number travelling by value (two
// stack slots, low word deeper) or stored as 8 little-endian bytes. The
// arithmetic is ORaw's; this class adds the decimal text in both directions.
#pragma once

#include "Arena.h"
#include "values/ORaw.h"

#include <compare>
#include <cstring>
#include <string>
#include <string_view>

class OFixed {
public:
    // Fraction digit counts above this raise InvalidArgumentException: the
    // exact expansion never has more than 32 digits, the rest would be zeros.
    static constexpr int MAX_TEXT_DIGITS = 65536;

    constexpr OFixed() = default;
    constexpr explicit OFixed(TInt64 raw) : raw(raw) {}
    static constexpr OFixed fromInt(TInt32 value) { return OFixed(ORaw::fromInt(value)); }
    static OFixed fromReal(TReal d) { return OFixed(ORaw::toFixed(d, 0)); }

    TReal toReal() const { return ORaw::toReal(raw); }

    friend OFixed operator+(OFixed a, OFixed b) { return OFixed(ORaw::add(a.raw, b.raw)); }
    friend OFixed operator-(OFixed a, OFixed b) { return OFixed(ORaw::sub(a.raw, b.raw)); }
    friend OFixed operator*(OFixed a, OFixed b) { return OFixed(ORaw::mul(a.raw, b.raw)); }
    friend OFixed operator/(OFixed a, OFixed b) { return OFixed(ORaw::div(a.raw, b.raw)); }
    OFixed operator-() const { return OFixed(ORaw::neg(raw)); }
    friend constexpr auto operator<=>(OFixed a, OFixed b) = default;

    // Decimal text with `digits` fraction digits, rounded half up on the
    // magnitude; -1 writes the exact binary expansion. digits < -1 (or above
    // MAX_TEXT_DIGITS) raises InvalidArgumentException.
    std::string toText(int digits) const;
    // Leading white space, '+' signs, one '-', integer digits, then an
    // optional '.' with at least one digit; the rest of the text is ignored.
    // A too large integer part saturates; anything else raises
    // DataFormatException.
    static OFixed parse(std::u16string_view text);

    // The 8 bytes at an arena address (null: NullPointerException, outside the arena: VMException).
    static OFixed at(const Lumbra::Arena& arena, TAddr addr)
    {
        TInt64 r;
        std::memcpy(&r, arena.resolve(addr, 8), 8);
        return OFixed(r);
    }
    void storeAt(const Lumbra::Arena& arena, TAddr addr) const { std::memcpy(arena.resolve(addr, 8), &raw, 8); }

    TInt64 raw = 0;
};
