// The tables a machine holds for its loaded images. Every table only grows:
// each image is appended with its indices relocated into these global tables.
#pragma once

#include "LumbraTypes.h"
#include "VUvarString.h"
#include "Vec.h"

class FrameworkServices;

namespace Lumbra {

struct MachineTables {
    // One per loaded image.
    struct BytecodeStruct {
        VUvarString name;
        Vec<TUint8> identity; // 20 opaque bytes
        int codeBase = 0;     // code length of the machine before this image
        int codeLength = 0;   // code bytes of this image
    };

    // One row per distinct method signature (rows of exported methods may repeat).
    struct ExportedMethod {
        struct MethodEntry {
            int typeId = -1;          // -1 for a non-virtual method
            int codeAddress = 0;      // absolute in codeBytes
            int frameDescriptor = 0;  // absolute in frameDescriptors
        };
        int imageIndex = 0;
        Vec<MethodEntry> implementations;
        VUvarString signature;
        TUint8 isVirtual = 0;
        int handleIndex = -1;
    };

    // A frame descriptor: which stack slots of a frame hold references.
    // Slot numbers count from the frame's base.
    struct MethodGCInfo {
        int lowerSlotsA = 0;
        Vec<int> referenceSlots;
        Vec<int> vectorSlots;
        Vec<TUint8> vectorSlotFlags; // 0xFF: the vector's elements are references
        int lowerSlotsB = 0;
        int upperSlots = 0;
        Vec<int> objectSlots;
        Vec<int> pairSlots;
        Vec<TUint8> pairSlotFlags;
    };

    // Super type of a type id: none.
    static constexpr int NO_SUPER_TYPE = -1;
    // Super type of a type id that no type record filled.
    static constexpr int UNFILLED_TYPE = -2;

    Vec<BytecodeStruct> images;
    Vec<ExportedMethod> methods;
    // Indexed by global type id (1-based; index 0 describes no type).
    Vec<Vec<int>> classReferenceSlots;
    Vec<Vec<int>> classArraySlots;
    Vec<Vec<bool>> classArrayElementIsReference;
    Vec<int> superTypes;
    Vec<MethodGCInfo> frameDescriptors;
    // String constants as UTF-16 code units.
    Vec<VUvarString> strings;
    Vec<signed char> codeBytes;
    int highestTypeId = 0;
    // The host's services, recorded by the load routine; opaque to the loader.
    FrameworkServices* frameworkServices = nullptr;
};

} // namespace Lumbra
