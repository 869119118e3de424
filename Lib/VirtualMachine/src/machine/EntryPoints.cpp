// Signature resolution, loading with start-up, and the event deliveries.
#include "machine/VirtualMachine.h"

#include "machine/FusedInstructions.h"

#include "VMError.h"
#include "image/BytecodeLoader.h"
#include "image/OpcodeTable.h"
#include "natives/NativeGroups.h"
#include "values/KeyEvent.h"

#include <new>

namespace {

// Entry signatures in resolution order, one per VirtualMachine::Entry.
constexpr const char* ENTRY_SIGNATURES[VirtualMachine::ENTRY_COUNT] = {
    "main",
    "<systemtimerlistener>.systemtimerevent",
    "<application>.draw to<canvas>",
    "<application>.key pressed<keyevent>",
    "<application>.key released<keyevent>",
    "<application>.pointer event<int>at x<int>y<int>modifiers<int>",
    "<application>.pointer pressed at<position>",
    "<application>.pointer dragged to<position>",
    "<application>.pointer released at<position>",
    "<application>.exit event",
    "<application>.foreground event",
    "<application>.background event",
    "<screenorientationlistener>.screen orientation changed to<orientation>",
    "vminternalthrow<int>,<string>",
    "vmprintthrowable<throwable>",
    "vmprintthrowableandexit<throwable>",
};

// Padding after the code: operands read past the last instruction land here,
// and an ip that reaches it stops at the loop's range check.
constexpr int CODE_PADDING = 16;

Vec<VUvarString> splitSignature(const VUvarString& signature)
{
    Vec<VUvarString> parts;
    parts.append(VUvarString());
    for (int i = 0; i < signature.size(); ++i) {
        const unsigned short c = signature[i];
        parts.last().append(c);
        if (c == '<' || (i == 0 && c == '('))
            parts.append(VUvarString());
    }
    return parts;
}

// Matches `parts` against a row's signature; fills the level of every part but the last.
bool matchRow(const VUvarString& row, const Vec<VUvarString>& parts, Vec<int>& levels)
{
    levels.clear();
    int p = 0;
    for (int j = 0; j < parts.size(); ++j) {
        const VUvarString& part = parts[j];
        if (p + part.size() > row.size())
            return false;
        for (int k = 0; k < part.size(); ++k)
            if (row[p + k] != part[k])
                return false;
        p += part.size();
        if (j < parts.size() - 1) {
            int stars = 0;
            while (p < row.size() - 1 && row[p] == '*') {
                ++stars;
                ++p;
            }
            levels.append(stars);
        }
    }
    return true;
}

} // namespace

int VirtualMachine::getMethodHandle(const VUvarString& signature, int imageIndex)
{
    const Vec<VUvarString> parts = splitSignature(signature);
    const bool hasResult = signature.size() > 0 && signature[0] == '(';
    Vec<int> levels;
    for (int r = 0; r < methods.size(); ++r) {
        ExportedMethod& row = methods[r];
        if (!row.isVirtual && row.imageIndex != imageIndex)
            continue;
        if (!matchRow(row.signature, parts, levels))
            continue;
        if (row.handleIndex >= 0)
            return row.handleIndex;
        MethodHandle handle;
        handle.hasResult = hasResult ? 1 : 0;
        if (hasResult && !levels.isEmpty()) {
            handle.resultLevel = levels[0];
            levels.removeAt(0);
        }
        handle.signature = signature;
        handle.argumentLevels = levels;
        handle.methodRow = r;
        handles.append(handle);
        row.handleIndex = handles.size() - 1;
        return row.handleIndex;
    }
    return -1;
}

void VirtualMachine::load(VUvarFileReader& reader, const VUvarString& imageName, FrameworkServices* services,
                          const std::function<void()>& loaded)
{
    setCurrent(this);
    try {
        int imageIndex = -1;
        loadTables(reader, imageName, services, imageIndex);
        if (loaded)
            loaded();
        startUp(imageIndex);
    } catch (const Lumbra::ErrorHandlingException&) {
        stopFromError();
    } catch (const std::bad_alloc&) {
        throw MachineStop{1, "out of memory"};
    }
}

void VirtualMachine::loadTables(VUvarFileReader& reader, const VUvarString& imageName, FrameworkServices* services,
                                int& imageIndex)
{
    Lumbra::BytecodeLoadHooks hooks;
    hooks.imageLoaded = [&](int index) { imageIndex = index; };
    hooks.fatalError = [this](const char* message, int position) {
        fatalError(OString::fromLatin1(message), position);
    };
    Lumbra::loadImage(*this, reader, imageName, services, hooks);
    implementationCache.assign(IMPLEMENTATION_CACHE_LINES, ImplementationCacheLine{});
    // The code and the handler ids the interpreter dispatches on, one per
    // byte; each followed by invalid opcodes.
    const int length = codeBytes.size();
    paddedCode = codeBytes;
    for (int i = 0; i < CODE_PADDING; ++i)
        paddedCode.append(-1); // 255 is no instruction
    frameLowerSlots.clear();
    for (const MethodGCInfo& info : frameDescriptors)
        frameLowerSlots.append(TInt64(info.lowerSlotsA) + info.lowerSlotsB);
    dispatchIds.assign(std::size_t(length) + CODE_PADDING, TUint16(255));
    writeDispatchIds(paddedCode.data(), length, combinedDispatch, {frameLowerSlots.data(), frameLowerSlots.size()},
                     dispatchIds.data());
    code = paddedCode.data();
    codeLength = length;
    convertStringConstants();
}

void VirtualMachine::convertStringConstants()
{
    for (int i = stringConstants.size(); i < strings.size(); ++i)
        stringConstants.append(OString::fromVUvar(strings[i]));
}

void VirtualMachine::startUp(int imageIndex)
{
    for (int e = 0; e < ENTRY_COUNT; ++e)
        entries[e] = getMethodHandle(VUvarString(ENTRY_SIGNATURES[e]), imageIndex);
    if (entries[EntryMain] < 0)
        fatalError(OString::fromLatin1("'main' not found"), -1);
    callDirect(entries[EntryMain], Vec<int>(), Vec<int>(), -1);
    heap_->collect();
}

VUvarString VirtualMachine::entrySignature(int entry) const
{
    if (entry < 0 || entry >= ENTRY_COUNT)
        return VUvarString();
    const int handle = entries[entry];
    return handle >= 0 && handle < handles.size() ? handles[handle].signature : VUvarString();
}

VUvarString VirtualMachine::runningSignature() const
{
    return runningHandle >= 0 && runningHandle < handles.size() ? handles[runningHandle].signature : VUvarString();
}

// ---- events

bool VirtualMachine::delivers(int entry) const
{
    if (entry < 0 || entry >= ENTRY_COUNT || entries[entry] < 0)
        return false;
    // Input, drawing and activity changes reach only a registered application;
    // timers and orientation changes go to their listeners.
    return application != 0 || entry == EntrySystemTimer || entry == EntryOrientation || entry == EntryExit;
}

void VirtualMachine::deliverQueued(int entry, const Vec<int>& args, const Vec<int>& levels)
{
    if (delivers(entry))
        callMethod(entries[entry], args, levels, -1);
}

namespace {
Vec<int> words(std::initializer_list<int> values)
{
    Vec<int> v;
    for (int x : values)
        v.append(x);
    return v;
}
} // namespace

void VirtualMachine::deliverDraw(TWord graphics)
{
    if (delivers(EntryDraw))
        callDirect(entries[EntryDraw], words({application, graphics}), words({1, 0}), -1);
}

void VirtualMachine::deliverKey(int key, int scanCode, int modifiers, const OString& text, int pressed)
{
    const int entry = (pressed & 0xFF) != 0 ? EntryKeyPressed : EntryKeyReleased;
    if (!delivers(entry))
        return;
    const TAddr event = newKeyEvent(heap(), key, scanCode, modifiers, text);
    if (event != 0)
        deliverQueued(entry, words({application, TWord(event)}), words({1, 0}));
}

void VirtualMachine::deliverPointer(int kind, int x, int y, int modifiers)
{
    deliverQueued(EntryPointerEvent, words({application, kind, x, y, modifiers}), words({1, 0, 0, 0, 0}));
}

void VirtualMachine::deliverForeground()
{
    deliverQueued(EntryForeground, words({application}), words({1}));
}

void VirtualMachine::deliverBackground()
{
    deliverQueued(EntryBackground, words({application}), words({1}));
}

void VirtualMachine::deliverTimer(TWord listener)
{
    if (delivers(EntrySystemTimer))
        callDirect(entries[EntrySystemTimer], words({listener}), words({1}), -1);
}

void VirtualMachine::deliverExit()
{
    deliverQueued(EntryExit, words({application}), words({1}));
}

void VirtualMachine::deliverOrientation(TWord listener, int orientation)
{
    deliverQueued(EntryOrientation, words({listener, orientation}), words({1, 0}));
}
