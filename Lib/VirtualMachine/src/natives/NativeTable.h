// One declared table per native group, made from the group's declaration
// (natives/groups/*.def): its functions by number, each with its name,
// signature and stack effect. A native is written `Group.name` in assembly.
#pragma once

#include <string>
#include <string_view>

struct NativeFunction {
    int number;
    std::string_view name;
    int taken; // words removed from the stack; -1: the call never returns to the bytecode
    int left;  // words left in their place
    // Reaches the host's graphics device (bitmaps, fonts, drawing).
    bool graphics;
    std::string_view family;    // the shape of its arguments within the group
    std::string_view signature; // "kind name, ... -> kind, ...": see NativeSignature.h
    std::string_view meaning;   // what it does and what it raises
};

struct NativeGroupTable {
    int group;
    const char* name;   // "" for the reserved group
    const char* prefix; // of the undefined-function message
    const NativeFunction* functions;
    int count;
};

inline constexpr int NATIVE_GROUP_COUNT = 35;
extern const NativeGroupTable NATIVE_GROUP_TABLES[NATIVE_GROUP_COUNT + 1];

// The table of a group, null outside 1..35.
const NativeGroupTable* nativeGroupTable(int group);
// The declared function, null when the group has no such number.
const NativeFunction* nativeFunction(int group, int number);
// "Group.name" of a declared function, "" when there is none.
std::string nativeName(int group, int number);
// Finds "Group.name"; false when no group declares it.
bool findNative(std::string_view qualifiedName, int& group, int& number);
// Whether `code` may call a graphics function: any byte that, read as a
// native-call instruction, names one. Bytes inside operands count too, so a
// branch into the middle of an instruction cannot reach one unseen.
bool mayCallGraphics(const signed char* code, int length);
