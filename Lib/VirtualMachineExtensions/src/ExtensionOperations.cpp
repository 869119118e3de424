#include "ExtensionOperations.h"

#include "ExtensionIds.h"
#include "VMError.h"

const ExtensionOperation* extensionOperation(int id, unsigned number)
{
    for (const ExtensionOperation& op : EXTENSION_OPERATIONS)
        if (op.extension == id && op.number == number)
            return &op;
    return nullptr;
}

std::string_view extensionName(int id)
{
    switch (ExtensionId(id)) {
    case ACCELEROMETER_ID: return "Accelerometer";
    case LOCATION_ID: return "Location";
    case AUDIO_ID: return "AudioPlayer";
    case TORCH_ID: return "Torch";
    case SHELL_ID: return "Shell";
    }
    return "";
}

void checkExtensionStackEffect(int id, unsigned operation, int topBefore, int topAfter)
{
    const ExtensionOperation* row = extensionOperation(id, operation);
    const std::string name = std::to_string(id) + "." + std::to_string(operation);
    if (!row)
        Lumbra::throwError(Lumbra::EVM, std::string_view("extension operation " + name + " has no row"));
    const int expected = topBefore - row->taken + row->left;
    if (topAfter != expected)
        Lumbra::throwError(Lumbra::EVM, std::string_view("extension operation " + name + " left the top at " +
                                                         std::to_string(topAfter) + ", its row says " +
                                                         std::to_string(expected)));
}

namespace {

std::string signatureCell(const ExtensionOperation& op) { return nativesig::referenceText(op.signature); }

} // namespace

std::string extensionReference()
{
    std::string text =
        "\n## Extension operations\n\n"
        "Generated from `Lib/VirtualMachineExtensions/src/ExtensionOperations.def`.\n"
        "`ext ID, OPERATION` calls an operation of a device extension. Arguments are\n"
        "in stack order, the last on top, with the kinds of `docs/natives.md`; the\n"
        "results start at the slot of the first argument (an operation without\n"
        "arguments leaves its result just above the top). A null wrapper raises\n"
        "`NullPointerException` \"NULL pointer\"; an operation not listed ends the run\n"
        "with a fatal \"Unknown opcode!\" error, and an id not listed raises\n"
        "`VMException` \"Dll not supported\". The user's guide describes the devices.\n";
    int extension = -1;
    for (const ExtensionOperation& op : EXTENSION_OPERATIONS) {
        if (op.extension != extension) {
            extension = op.extension;
            text += "\n### " + std::to_string(extension) + " " + std::string(extensionName(extension)) + "\n\n" +
                    "| No. | Operation | Arguments → results | Words | Meaning |\n|---|---|---|---|---|\n";
        }
        text += "| " + std::to_string(op.number) + " | `" + std::string(op.name) + "` | " + signatureCell(op) + " | " +
                std::to_string(op.taken) + " → " + std::to_string(op.left) + " | " + std::string(op.meaning) + " |\n";
    }
    return text;
}
