// The reference of the native groups, written from their declarations.
#include "natives/NativeReference.h"

#include "natives/NativeSignature.h"
#include "natives/NativeTable.h"

#include <string>

namespace {

std::string effect(const NativeFunction& f)
{
    if (f.taken < 0)
        return "does not return";
    return std::to_string(f.taken) + " → " + std::to_string(f.left);
}

// Table cells: a bar would end the cell.
std::string cell(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '|')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string signature(const NativeFunction& f) { return cell(nativesig::referenceText(f.signature)); }

std::string kinds()
{
    std::string text = "| Kind | Words | Meaning |\n|---|---|---|\n";
    for (const NativeKindInfo& k : NATIVE_KINDS)
        text += "| `" + std::string(k.name) + "` | " + (k.name == "elem" ? "1–4" : std::to_string(k.words)) + " | " +
                cell(k.meaning) + " |\n";
    return text;
}

} // namespace

std::string nativeReference()
{
    std::string text =
        "# Native groups and functions\n\n"
        "Generated from the native group declarations (`Lib/VirtualMachine/src/natives/groups/*.def`)\n"
        "by `mcbnatives`; do not edit by hand. In assembly a native is written\n"
        "`native Group.name` (or `native GROUP, NUMBER`); `mcbdis` prints the name.\n"
        "Arguments are listed in stack order: push the first one first, so the last\n"
        "is on top. The call takes them and leaves its results in their place, the\n"
        "last result on top; the stack effect counts the words taken and left.\n"
        "A `never` result marks a function that does not return to the bytecode.\n"
        "Functions a group does not list raise `VMException` with the group's prefix\n"
        "and the position of the call's function byte.\n\n"
        "## Kinds of arguments and results\n\n" +
        kinds();
    for (const NativeGroupTable& table : NATIVE_GROUP_TABLES) {
        if (table.group == 0)
            continue;
        text += "\n## " + std::to_string(table.group) + " " + (*table.name ? table.name : "(reserved)") + "\n\n";
        if (table.count == 0) {
            text += "No functions.\n";
            continue;
        }
        text += "| No. | Function | Arguments → results | Words | Meaning and errors |\n|---|---|---|---|---|\n";
        for (int i = 0; i < table.count; ++i) {
            const NativeFunction& f = table.functions[i];
            text += "| " + std::to_string(f.number) + " | `" + table.name + "." + std::string(f.name) + "` | " +
                    signature(f) + " | " + effect(f) + " | " + cell(f.meaning) + " |\n";
        }
    }
    return text;
}
