// The operations of the device extensions, declared once in
// ExtensionOperations.def: number, name, stack effect and meaning. The
// extensions take their arguments by these rows, the registry checks their
// results against them in checking builds, and the reference is written
// from them.
#pragma once

#include "natives/NativeSignature.h"

#include <string>
#include <string_view>

struct ExtensionOperation {
    int extension;
    unsigned number;
    std::string_view name;
    int taken; // words taken from the stack
    int left;  // words left from the first argument's slot on
    std::string_view signature; // "kind name, ... -> kind, ...", as for the natives
    std::string_view meaning;
};

inline constexpr ExtensionOperation EXTENSION_OPERATIONS[] = {
#define OPERATION(extension, number, name, signature, meaning) \
    {extension, number, #name, nativesig::taken(signature), nativesig::left(signature), signature, meaning},
#include "ExtensionOperations.def"
#undef OPERATION
};

// The row of operation `number` of extension `id`; null when there is none.
const ExtensionOperation* extensionOperation(int id, unsigned number);

// VMException naming the operation when a call that returned moved the top
// from `topBefore` to `topAfter` other than its row says. Called in checking
// builds only.
void checkExtensionStackEffect(int id, unsigned operation, int topBefore, int topAfter);

// The extension's name in the reference ("" for an unknown id).
std::string_view extensionName(int id);

// The reference of the extension operations, in Markdown.
std::string extensionReference();
