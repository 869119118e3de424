// The native-call instruction: one table of groups 1 to 35 with their
// undefined-function prefixes, derived from the group list in NativeGroups.h.
#include "NativeGroups.h"

#include "VirtualMachine.h"

#include <array>
#include <string>

namespace {

constexpr int LAST_GROUP = 35;
constexpr int RESERVED_GROUP = 2;
constexpr int REFERENCE_VECTOR_GROUP = 7;

using GroupFunction = void (*)(VirtualMachine&, int group, int function);

struct NativeGroupEntry {
    const char* prefix = "";
    GroupFunction run = nullptr;
};

void vectorGroup(VirtualMachine& vm, int group, int function)
{
    vectorNative(vm, group, function, group != REFERENCE_VECTOR_GROUP);
}

// Group 2 has no functions: bytecode that names it is broken.
void reservedGroup(VirtualMachine& vm, int, int)
{
    vm.fatalError(OString::fromLatin1("Internal error: native group 2 is reserved"), vm.ip);
}

template <void (*Group)(VirtualMachine&, int)>
void plainGroup(VirtualMachine& vm, int, int function)
{
    Group(vm, function);
}

constexpr std::array<NativeGroupEntry, LAST_GROUP + 1> makeGroups()
{
    std::array<NativeGroupEntry, LAST_GROUP + 1> groups{};
    groups[1] = {VECTOR_PREFIX, vectorGroup};
    groups[RESERVED_GROUP] = {"", reservedGroup};
    for (int g = 3; g <= REFERENCE_VECTOR_GROUP; ++g)
        groups[g] = {VECTOR_PREFIX, vectorGroup};
#define LUMBRA_GROUP_ENTRY(group, function, prefix) groups[group] = {prefix, plainGroup<function>};
    LUMBRA_NATIVE_GROUPS(LUMBRA_GROUP_ENTRY)
#undef LUMBRA_GROUP_ENTRY
    return groups;
}

constexpr std::array<NativeGroupEntry, LAST_GROUP + 1> GROUPS = makeGroups();

} // namespace

const char* nativeGroupPrefix(int group)
{
    return group >= 1 && group <= LAST_GROUP ? GROUPS[size_t(group)].prefix : "";
}

void callNative(VirtualMachine& vm, int group, int function)
{
    if (group < 1 || group > LAST_GROUP)
        vm.fatalError(OString::fromLatin1(("Internal error: invalid group in native call: " + std::to_string(group)).c_str()),
                      vm.ip);
    GROUPS[size_t(group)].run(vm, group, function);
}
