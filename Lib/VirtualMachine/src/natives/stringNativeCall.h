// Helpers of the String group's natives.
#pragma once

#include "natives/NativeCallFrame.h"


// The inclusive character range of a (start, count) argument pair: start < 0
// raises code 5 at once, count < 0 runs to the last character.
struct CharRange {
    int start;
    int end;
};
CharRange charRange(TWord start, TWord count, int length);

// Natives 16-43 and 69-118: the searches, counts, removals and replacements
// given in the eight argument shapes. False when `native` is none of them.
bool runShapedStringNative(NativeCallFrame& call, int native);
