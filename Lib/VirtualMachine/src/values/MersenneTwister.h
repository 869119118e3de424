// The MT19937 generator with the initialisation of its 1998 reference code:
// state word 0 is the initial value, each further word the previous one
// times 69069; the first output refills the state. Plain data (624 state
// words and the next index), so a machine can keep it in malloc'ed memory.
#pragma once

#include "LumbraTypes.h"

class MersenneTwister {
public:
    static constexpr int STATE_WORDS = 624;

    explicit MersenneTwister(TUint32 initialState);
    TUint32 next();

private:
    void refill();

    TUint32 state[STATE_WORDS];
    TInt32 index;
};
