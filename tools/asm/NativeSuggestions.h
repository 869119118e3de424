// Help for a mistyped native name: the declared names nearest to it.
#pragma once

#include <string>
#include <string_view>

// Whether `name` is written `Group.function` with a group that declares functions.
bool namesNativeGroup(std::string_view name);
// "unknown native 'Debug.lgo' (nearest: Debug.log)": up to three declared
// names at the least edit distance, when that distance is small enough to be
// a slip of the keyboard.
std::string unknownNativeMessage(std::string_view name);
