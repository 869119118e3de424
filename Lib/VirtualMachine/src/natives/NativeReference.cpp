// The reference of the native groups, written from their tables.
#include "natives/NativeReference.h"

#include "natives/NativeTable.h"

#include <string>

namespace {

std::string effect(const NativeFunction& f)
{
    if (f.taken < 0)
        return "does not return";
    return std::to_string(f.taken) + " → " + std::to_string(f.left);
}

} // namespace

std::string nativeReference()
{
    std::string text =
        "# Native groups and functions\n\n"
        "Generated from the native group tables (`Lib/VirtualMachine/src/natives/NativeTables.cpp`)\n"
        "by `mcbnatives`; do not edit by hand. In assembly a native is written\n"
        "`native Group.name` (or `native GROUP, NUMBER`); `mcbdis` prints the name.\n"
        "The stack effect is the number of words the call takes from the top of the\n"
        "stack and the number it leaves in their place. Functions a group does not\n"
        "list raise `VMException` with the group's prefix and the position of the\n"
        "call's function byte.\n";
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES) {
        if (table.group == 0)
            continue;
        text += "\n## " + std::to_string(table.group) + " " + (*table.name ? table.name : "(reserved)") + "\n\n";
        if (table.count == 0) {
            text += "No functions.\n";
            continue;
        }
        text += "| Function | Name | Words taken → left |\n|---|---|---|\n";
        for (int i = 0; i < table.count; ++i) {
            const NativeFunction& f = table.functions[i];
            text += "| " + std::to_string(f.number) + " | `" + table.name + "." + std::string(f.name) + "` | " + effect(f) + " |\n";
        }
    }
    return text;
}
