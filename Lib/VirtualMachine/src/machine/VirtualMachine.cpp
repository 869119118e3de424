// The machine object: construction, the current machine, reference levels,
// host calls with their queue, and collection with the stack as roots.
#include "machine/VirtualMachine.h"

#include "OVector.h"
#include "VMError.h"
#include "machine/ListenerRoots.h"
#include "natives/NativeGroups.h"
#include "values/MersenneTwister.h"
#include "values/ObjectWrapper.h"

#include <cstdlib>
#include <ctime>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

using Lumbra::EInvalidArgument;
using Lumbra::raiseError;

namespace {
thread_local VirtualMachine* currentMachine = nullptr;
}

VirtualMachine::VirtualMachine(TUint32 arenaReserve)
    : arena_(std::make_unique<Lumbra::Arena>(arenaReserve))
{
    const TUint32 stackBytes = TUint32(STACK_WORDS + 2 * STACK_GUARD) * 4;
    stackBlock = arena_->allocate(stackBytes);
    std::memset(arena_->raw(stackBlock), 0, stackBytes);
    stackAddr = stackBlock + STACK_GUARD * 4;
    stackBase = reinterpret_cast<TWord*>(arena_->raw(stackAddr));
    heap_ = std::make_unique<VMHeap>(*arena_, MIN_POOL_SIZE, classReferenceSlots, classArraySlots,
                                     classArrayElementIsReference);
    for (int& entry : entries)
        entry = -1;
    combinedDispatch = std::getenv("LUMBRA_PLAIN_DISPATCH") == nullptr;
    // LUMBRA_GC_STRESS=1: a collection at every safepoint after an allocation.
    if (const char* stress = std::getenv("LUMBRA_GC_STRESS"); stress && std::strcmp(stress, "0") != 0 && *stress)
        heap_->setStress(true);
    restoreMemoryReserve();
}

void VirtualMachine::restoreMemoryReserve()
{
    if (memoryReserve != 0)
        return;
    try {
        memoryReserve = arena_->allocate(MEMORY_RESERVE);
    } catch (const std::bad_alloc&) {
        memoryReserve = 0; // taken again after a later collection
    }
}

std::u16string VirtualMachine::outOfMemoryText()
{
    const auto mib = [](TInt64 bytes) { return std::to_string((bytes + (1 << 19)) >> 20); };
    std::string text = "UNEXPECTED EXCEPTION: out of memory: ";
    if (heap_->takeHostLimitFailure())
        text += mib(heap_->hostBytesHeld()) + " MiB of host memory held by native objects, at most " +
                mib(heap_->hostBytesLimitValue()) + " MiB";
    else
        text += mib(heap_->liveAfterCollection()) + " MiB live in a " + mib(arena_->reserved()) + " MiB heap";
    return std::u16string(text.begin(), text.end());
}

VirtualMachine::~VirtualMachine()
{
    for (const StoredMethodCall& call : pendingCalls)
        releaseStoredCallRoots(call);
    stringConstants.clear(); // their buffers live in the arena
    if (heap_)
        heap_->poolsGoWithArena();
    heap_.reset();
    std::free(randomState);
    if (currentMachine == this)
        setCurrent(nullptr);
}

VirtualMachine* VirtualMachine::current()
{
    return currentMachine;
}

void VirtualMachine::setCurrent(VirtualMachine* machine)
{
    currentMachine = machine;
    Lumbra::Arena::setCurrent(machine ? machine->arena_.get() : nullptr);
    ManagedMemory::setCurrent(machine ? machine->heap_.get() : nullptr);
}

TWord VirtualMachine::convertReference(int delta, TWord word, GcCode code)
{
    if (delta >= 1 && delta <= 3) {
        TWord value = newBoxWithCode(word, code);
        for (int i = 1; i < delta; ++i)
            value = newBox(value);
        return value;
    }
    if (delta <= -1 && delta >= -3) {
        for (int i = 0; i < -delta; ++i)
            word = wordAt(TAddr(word));
        return word;
    }
    return delta == 0 ? word : 0;
}

TWord VirtualMachine::newBoxWithCode(TWord word, GcCode code)
{
    const TAddr box = heap_->allocate(4, 0, code);
    arena_->storeWord(box, word);
    return TWord(box);
}

TWord VirtualMachine::newBox(TWord word)
{
    return newBoxWithCode(word, GC_CODE_REFERENCE);
}

TWord VirtualMachine::newStringBox(const OString& text)
{
    const TAddr string = heap_->create<OString>(OString::BLOCK_SIZE, GC_CODE_STRING, text);
    return newBox(TWord(string));
}

OString& VirtualMachine::stringFromBox(TWord box)
{
    return *heap_->objectAs<OString>(TAddr(wordAt(TAddr(box))));
}

TWord VirtualMachine::newIntVector(int size)
{
    if (size < 0)
        raiseError(EInvalidArgument);
    const TAddr vector = newEmptyVector(*this, 4);
    auto* ints = heap_->objectAs<OVector<WordElement<1>>>(vector);
    for (int i = 0; i < size; ++i)
        ints->append(WordElement<1>{{0}});
    return newBox(TWord(vector));
}

// ---- the stack for natives

TWord VirtualMachine::pop()
{
    const TWord value = slot(sp);
    --sp;
    return value;
}

void VirtualMachine::push(TWord value)
{
    slot(sp + 1) = value;
    ++sp;
}

TInt64 VirtualMachine::popLong()
{
    const TUint32 high = TUint32(pop());
    const TUint32 low = TUint32(pop());
    return TInt64(TUint64(high) << 32 | low);
}

void VirtualMachine::pushLong(TInt64 value)
{
    push(TWord(TUint32(TUint64(value))));
    push(TWord(TUint32(TUint64(value) >> 32)));
}

void VirtualMachine::setTopIndex(int index)
{
    if (index < -1 || index >= STACK_WORDS)
        Lumbra::raiseError(Lumbra::EInvalidArgument);
    sp = index;
}

MersenneTwister& VirtualMachine::random()
{
    // Released with free(): the generator stays plain data.
    static_assert(std::is_trivially_destructible_v<MersenneTwister>);
    if (!randomState) {
        void* memory = std::malloc(sizeof(MersenneTwister));
        if (!memory)
            throw std::bad_alloc();
        randomState = new (memory) MersenneTwister(frameworkServices ? frameworkServices->randomSeed() : TUint32(std::clock()));
    }
    return *static_cast<MersenneTwister*>(randomState);
}

void VirtualMachine::setApplication(TWord object)
{
    if (object != 0 && !isLiveHeapObject(*heap_, object))
        Lumbra::throwError(Lumbra::EVM, std::string_view("application object is not a heap object"));
    if (application != 0)
        heap_->removeRoot(TAddr(application));
    application = object;
    if (object != 0)
        heap_->addRoot(TAddr(object));
}

// ---- calls

// findImplementation and frameBase live in Interpreter.cpp, beside the loop.

void VirtualMachine::fatalError(const OString& message, int position)
{
    lastFatal = Lumbra::u16ToUtf8(message.toU16());
    if (position >= 0)
        lastFatal += " at " + std::to_string(position);
    raiseError(Lumbra::EFatal);
}

void VirtualMachine::stopFromError()
{
    const int code = Lumbra::lastErrorCode();
    if (code == Lumbra::EExitRequest)
        throw MachineStop{0, ""};
    std::string message = Lumbra::u16ToUtf8(Lumbra::lastErrorMessage());
    if (code == Lumbra::EFatal && !lastFatal.empty())
        message += " " + lastFatal;
    else if (!stopCause.empty())
        message += " (" + std::exchange(stopCause, std::string()) + ")" + std::exchange(stopDetail, std::string());
    else if (ip >= 0)
        message += " (at " + std::to_string(ip) + ")";
    throw MachineStop{1, message};
}

void VirtualMachine::releaseStoredCallRoots(const StoredMethodCall& call)
{
    for (TWord word : call.args)
        if (isLiveHeapObject(*heap_, word))
            heap_->removeRoot(TAddr(word));
}

TWord VirtualMachine::callMethod(int handle, const Vec<int>& args, const Vec<int>& levels, int resultLevel)
{
    if (runningHandle != -1) {
        // The running call's collection must not free what the stored call
        // will receive (a key event, for one): its objects are roots until it runs.
        pendingCalls.push_back(StoredMethodCall{handle, args, levels, resultLevel});
        for (TWord word : args)
            if (isLiveHeapObject(*heap_, word))
                heap_->addRoot(TAddr(word));
        return 0;
    }
    return callDirect(handle, args, levels, resultLevel);
}

TWord VirtualMachine::callDirect(int handle, const Vec<int>& args, const Vec<int>& levels, int resultLevel)
{
    try {
        const TWord result = runHostCall(handle, args, levels, resultLevel);
        // Calls stored while bytecode ran, and those they store in turn, run
        // one after the other from here: a long chain does not nest.
        while (!pendingCalls.empty()) {
            const StoredMethodCall next = std::move(pendingCalls.front());
            pendingCalls.pop_front();
            releaseStoredCallRoots(next);
            runHostCall(next.handle, next.args, next.levels, next.resultLevel);
        }
        return result;
    } catch (const Lumbra::ErrorHandlingException&) {
        stopFromError();
    } catch (const std::bad_alloc&) {
        const std::u16string text = outOfMemoryText();
        throw MachineStop{1, std::string(text.begin(), text.end())};
    }
}

TWord VirtualMachine::runHostCall(int h, const Vec<int>& args, const Vec<int>& levels, int resultLevel)
{
    if (runningHandle != -1)
        fatalError(OString::fromLatin1("VM concurrency error"), -1);
    if (h < 0 || h >= handles.size())
        raiseError(EInvalidArgument);
    runningHandle = h;
    // A native may resolve new handles while bytecode runs, which moves
    // `handles`: what the call needs afterwards is copied now.
    const bool hasResult = handles[h].hasResult;
    const int handleResultLevel = handles[h].resultLevel;
    const int methodRow = handles[h].methodRow;
    const Vec<int> argumentLevels = handles[h].argumentLevels;
    frameDepth = 0;
    handlerTop = 0;
    stackLimit = STACK_SOFT_LIMIT;
    deliveryReturnSlot = -1; // no vminternalthrow runs yet in this call

    sp = hasResult ? 1 : 0;
    for (int i = 0; i < args.size(); ++i) {
        slot(sp) = convertReference(argumentLevels[i] - levels[i], args[i], GC_CODE_REFERENCE);
        ++sp;
    }
    int key = -1;
    if (methods[methodRow].isVirtual) {
        key = slot(0);
        for (int i = 0; i < argumentLevels[0]; ++i)
            key = wordAt(TAddr(key));
    }
    const ExportedMethod::MethodEntry* impl = findImplementation(methodRow, key);
    if (impl && impl->codeAddress >= 0 && impl->codeAddress < codeLength && impl->frameDescriptor >= 0 &&
        impl->frameDescriptor < frameDescriptors.size()) {
        pushFrame(impl->frameDescriptor, 0);
        ip = impl->codeAddress;
        slot(sp) = -1;
        runDelivering();
    }

    ip = -1;
    // Steps held back for a safepoint the call did not reach any more.
    fuel += std::exchange(heldSteps, 0);
    const bool rootResult = hasResult && handleResultLevel > 0 && stackBase[0] != 0;
    const TWord resultWord = stackBase[0];
    if (rootResult)
        heap_->addRoot(TAddr(resultWord));
    heap_->collect();
    restoreMemoryReserve();
    runningHandle = -1;
    TWord result = 0;
    if (hasResult) {
        if (rootResult)
            heap_->removeRoot(TAddr(resultWord));
        result = convertReference(resultLevel - handleResultLevel, resultWord, GC_CODE_REFERENCE);
    }
    return result;
}

void VirtualMachine::collectWithStackRoots()
{
    if (STACK_WORDS == 0)
        raiseError(EInvalidArgument);
    const TAddr stackEnd = stackAddr + TAddr(STACK_MARK_EXTENT) * 4;
    auto outsideStack = [&](TWord w) { return w != 0 && (TAddr(w) < stackAddr || TAddr(w) >= stackEnd); };
    // A word that is the data address of a live block not marked yet.
    auto unmarkedBlock = [&](TWord w) {
        const TAddr block = VMHeap::entryOf(TAddr(w));
        return heap_->isBlockStart(block) && heap_->entry(block).marked == 0;
    };
    const int top = std::min(sp, STACK_WORDS - 1);
    // Slot counts and offsets come from the image: sums of them are 64-bit.
    TInt64 a = 0;
    for (int i = 0; i < frameDepth; ++i) {
        const int d = callFrames[i].descriptor;
        if (d == -1)
            continue;
        const MethodGCInfo& info = frameDescriptors[d];
        const int base = callFrames[i].base;
        for (TInt64 s = std::max<TInt64>(a, 0); s < base && s <= top; ++s)
            heap_->markIfInPools(stackBase[s]);
        a = base;
        auto inFrame = [&](int offset) {
            const TInt64 s = a + offset;
            return s >= 0 && s <= top ? int(s) : -1;
        };
        for (int offset : info.referenceSlots) {
            const int s = inFrame(offset);
            if (s >= 0 && outsideStack(stackBase[s]) && unmarkedBlock(stackBase[s]))
                heap_->markIfInPools(stackBase[s]);
        }
        for (int j = 0; j < info.vectorSlots.size(); ++j) {
            const int s = inFrame(info.vectorSlots[j]);
            if (s >= 0)
                heap_->markArray(TAddr(stackBase[s]), j < info.vectorSlotFlags.size() && info.vectorSlotFlags[j] == 0xFF);
        }
        for (int offset : info.objectSlots) {
            const int s = inFrame(offset);
            if (s >= 0 && outsideStack(stackBase[s]) && unmarkedBlock(stackBase[s]))
                heap_->markObject(TAddr(stackBase[s]));
        }
        for (int j = 0; j < info.pairSlots.size(); ++j) {
            const int s = inFrame(info.pairSlots[j]);
            if (s >= 0 && s + 1 <= top && (stackBase[s] != 0 || stackBase[s + 1] != 0))
                heap_->markArray(slotAddress(s), j < info.pairSlotFlags.size() && info.pairSlotFlags[j] == 0xFF);
        }
        a += TInt64(info.lowerSlotsA) + info.lowerSlotsB + info.upperSlots + 1;
    }
    for (TInt64 s = std::max<TInt64>(a, 0); s <= top; ++s)
        heap_->markIfInPools(stackBase[s]);
    heap_->collect();
}

bool VirtualMachine::collectAtSafepoint()
{
    VMHeap& heap = *heap_;
    const int top = std::min(sp, STACK_WORDS - 1);
    // Slots a frame's stack map describes are traced as what it says they
    // are, whatever they hold; every other word of the live stack is taken
    // conservatively. Frame bases and slot offsets come from the image and
    // bytecode: only slots inside [0, top] count.
    std::vector<bool> described(size_t(std::max(top + 1, 0)), false);
    auto slotAt = [&](TInt64 base, TInt64 offset) { const TInt64 s = base + offset; return s >= 0 && s <= top ? int(s) : -1; };
    for (int i = 0; i < frameDepth && i < int(callFrames.size()); ++i) {
        const int d = callFrames[size_t(i)].descriptor;
        if (d < 0 || d >= frameDescriptors.size())
            continue;
        const MethodGCInfo& info = frameDescriptors[d];
        const TInt64 base = callFrames[size_t(i)].base;
        for (const Vec<int>* slots : {&info.referenceSlots, &info.objectSlots})
            for (int offset : *slots)
                if (const int s = slotAt(base, offset); s >= 0) {
                    heap.markStackReference(stackBase[s]);
                    described[size_t(s)] = true;
                }
        for (int j = 0; j < info.vectorSlots.size(); ++j)
            if (const int s = slotAt(base, info.vectorSlots[j]); s >= 0) {
                heap.markStackVector(TAddr(stackBase[s]), j < info.vectorSlotFlags.size() && info.vectorSlotFlags[j] == 0xFF);
                described[size_t(s)] = true;
            }
        for (int j = 0; j < info.pairSlots.size(); ++j)
            if (const int s = slotAt(base, info.pairSlots[j]); s >= 0 && s + 1 <= top) {
                heap.markStackVector(slotAddress(s), j < info.pairSlotFlags.size() && info.pairSlotFlags[j] == 0xFF);
                described[size_t(s)] = described[size_t(s) + 1] = true;
            }
    }
    for (int s = 0; s <= top; ++s)
        if (!described[size_t(s)])
            heap.markStackWord(stackBase[s]);
    const bool done = heap.collectQueued();
    if (done)
        restoreMemoryReserve();
    return done;
}
