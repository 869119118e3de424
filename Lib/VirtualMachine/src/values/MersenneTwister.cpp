#include "values/MersenneTwister.h"

namespace {
constexpr int SHIFT = 397;
constexpr TUint32 MATRIX = 0x9908B0DFu;
constexpr TUint32 UPPER = 0x80000000u;
constexpr TUint32 LOWER = 0x7FFFFFFFu;
} // namespace

MersenneTwister::MersenneTwister(TUint32 initialState)
{
    state[0] = initialState;
    for (int i = 1; i < STATE_WORDS; ++i)
        state[i] = state[i - 1] * 69069u;
    index = STATE_WORDS;
}

void MersenneTwister::refill()
{
    for (int k = 0; k < STATE_WORDS; ++k) {
        const TUint32 y = (state[k] & UPPER) | (state[(k + 1) % STATE_WORDS] & LOWER);
        state[k] = state[(k + SHIFT) % STATE_WORDS] ^ (y >> 1) ^ ((y & 1) ? MATRIX : 0);
    }
    index = 0;
}

TUint32 MersenneTwister::next()
{
    if (index >= STATE_WORDS)
        refill();
    TUint32 y = state[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}
