// The native-call instruction: one table of groups 1 to 35, derived from the
// group list in NativeGroups.h; names and functions come from NativeTable.h.
#include "natives/NativeGroups.h"

#include "machine/VirtualMachine.h"
#include "natives/NativeTable.h"

#include <array>
#include <string>

namespace {

constexpr int RESERVED_GROUP = 2;
constexpr int REFERENCE_VECTOR_GROUP = 7;

using GroupFunction = void (*)(VirtualMachine&, int group, int function);

void vectorGroup(VirtualMachine& vm, int group, int function)
{
    vectorNative(vm, group, function, group != REFERENCE_VECTOR_GROUP);
}

// Group 2 has no functions: bytecode that names it is broken.
void reservedGroup(VirtualMachine& vm, int, int)
{
    vm.fatalError(OString::fromLatin1("Internal error: native group 2 is reserved"), vm.position());
}

template <void (*Group)(VirtualMachine&, int)>
void plainGroup(VirtualMachine& vm, int, int function)
{
    Group(vm, function);
}

constexpr std::array<GroupFunction, NATIVE_GROUP_COUNT + 1> makeGroups()
{
    std::array<GroupFunction, NATIVE_GROUP_COUNT + 1> groups{};
    groups[1] = vectorGroup;
    groups[RESERVED_GROUP] = reservedGroup;
    for (int g = 3; g <= REFERENCE_VECTOR_GROUP; ++g)
        groups[g] = vectorGroup;
#define LUMBRA_GROUP_ENTRY(group, name, function) groups[group] = plainGroup<function>;
    LUMBRA_NATIVE_GROUPS(LUMBRA_GROUP_ENTRY)
#undef LUMBRA_GROUP_ENTRY
    return groups;
}

constexpr std::array<GroupFunction, NATIVE_GROUP_COUNT + 1> GROUPS = makeGroups();

} // namespace

void undefinedNativeFunction(VirtualMachine& vm, int group)
{
    const NativeGroupTable* table = nativeGroupTable(group);
    Lumbra::throwError(Lumbra::EVM, std::string_view((table ? table->prefix : "") + std::to_string(vm.position())));
}

void callNative(VirtualMachine& vm, int group, int function)
{
    if (group < 1 || group > NATIVE_GROUP_COUNT)
        vm.fatalError(OString::fromLatin1(("Internal error: invalid group in native call: " + std::to_string(group)).c_str()),
                      vm.position());
    // Function numbers are bytes: the String group's 128 to 160 arrive negative.
    if (group != RESERVED_GROUP && !nativeFunction(group, function & 0xFF))
        undefinedNativeFunction(vm, group);
#if LUMBRA_CHECK_NATIVE_STACK
    const int spBefore = vm.topIndex();
    GROUPS[size_t(group)](vm, group, function);
    checkNativeStackEffect(vm, group, function, spBefore);
#else
    GROUPS[size_t(group)](vm, group, function);
#endif
}

void checkNativeStackEffect(VirtualMachine& vm, int group, int function, int spBefore)
{
    const NativeFunction* row = nativeFunction(group, function & 0xFF);
    if (!row || row->taken < 0)
        return;
    const int expected = spBefore - row->taken + row->left;
    if (vm.topIndex() == expected)
        return;
    Lumbra::throwError(Lumbra::EVM, std::string_view("native " + nativeName(group, function & 0xFF) +
                                                     " left the stack top at " + std::to_string(vm.topIndex()) +
                                                     ", its declaration says " + std::to_string(expected)));
}
