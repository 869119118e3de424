// The virtual machine: registers, the word stack (in the arena), the frame
// stacks, exception handlers, the tables of the loaded image, host calls with
// their queue, and the helpers natives use to read and write the stack.
#pragma once

#include "OString.h"
#include "VMError.h"
#include "VUvarFileReader.h"
#include "heap/Heap.h"
#include "host/FrameworkServices.h"
#include "image/MachineTables.h"
#include "machine/MachineStop.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

// What natives, extensions and the host may call on a machine.
class OpProfile;

class MVMCallbackInterface {
public:
    virtual ~MVMCallbackInterface() = default;
    virtual int getMethodHandle(const VUvarString& signature, int imageIndex) = 0;
    virtual TWord callMethod(int handle, const Vec<int>& args, const Vec<int>& levels, int resultLevel) = 0;
    [[noreturn]] virtual void fatalError(const OString& message, int position) = 0;
    virtual VMHeap& heap() = 0;
    virtual TWord convertReference(int delta, TWord word, GcCode code) = 0;
};

class MersenneTwister;

class InterfaceForCallingGc {
public:
    virtual ~InterfaceForCallingGc() = default;
    virtual void collectGarbage() = 0;
};

class VirtualMachine : public MVMCallbackInterface, public InterfaceForCallingGc, private Lumbra::MachineTables {
public:
    static constexpr int STACK_WORDS = 15256;
    static constexpr int STACK_MARK_EXTENT = 15000; // words the root marker treats as the stack
    static constexpr int HANDLER_RECORDS = 128;     // record 0 is never used
    static constexpr int MIN_POOL_SIZE = 64000;
    // Words kept below slot 0 and above the last slot, so that instructions
    // reading a fixed distance around a checked sp stay in the stack's memory.
    static constexpr int STACK_GUARD = 8;
    // Highest sp before an overflow is reported; the words above it leave room
    // to deliver the error to bytecode.
    static constexpr int STACK_SOFT_LIMIT = STACK_MARK_EXTENT;
    // Highest sp while that delivery runs; beyond it the machine stops.
    static constexpr int STACK_HARD_LIMIT = STACK_WORDS - 4;

    // Entry points, in resolution order; each holds a handle index or -1.
    enum Entry {
        EntryMain,
        EntrySystemTimer,
        EntryDraw,
        EntryKeyPressed,
        EntryKeyReleased,
        EntryPointerEvent,
        EntryPointerPressed,
        EntryPointerDragged,
        EntryPointerReleased,
        EntryExit,
        EntryForeground,
        EntryBackground,
        EntryOrientation,
        EntryInternalThrow,
        EntryPrintThrowable,
        EntryPrintThrowableAndExit,
        ENTRY_COUNT
    };

    struct MethodHandle {
        TUint8 hasResult = 0;
        int resultLevel = 0;
        VUvarString signature;
        Vec<int> argumentLevels;
        int methodRow = -1;
    };

    struct StoredMethodCall {
        int handle;
        Vec<int> args;
        Vec<int> levels;
        int resultLevel;
    };

    struct HandlerRecord {
        TInt32 typeId; // negative: catches everything
        TInt32 savedSp;
        TInt32 handlerAddress;
        int frameDepth; // calls active at the try: a catch ends the ones above
    };

    explicit VirtualMachine(TUint32 arenaReserve = Lumbra::Arena::DEFAULT_RESERVE);
    ~VirtualMachine() override;
    VirtualMachine(const VirtualMachine&) = delete;
    VirtualMachine& operator=(const VirtualMachine&) = delete;

    // The machine of the calling thread (also makes its arena and heap current).
    static VirtualMachine* current();
    static void setCurrent(VirtualMachine* machine);

    // Loads an image, resolves the entry points and runs `main` (start-up).
    // Any failure ends in MachineStop (status 1; status 0 for an exit request).
    // `loaded`, when given, runs between the load and `main`: the host can
    // look at the code before it sets up what the code needs.
    void load(VUvarFileReader& reader, const VUvarString& imageName, FrameworkServices* services,
              const std::function<void()>& loaded = {});
    // The loading part alone (tables, string constants), without start-up.
    void loadTables(VUvarFileReader& reader, const VUvarString& imageName, FrameworkServices* services, int& imageIndex);
    // Resolves the entry signatures, runs `main` and collects.
    void startUp(int imageIndex);

    // MVMCallbackInterface
    int getMethodHandle(const VUvarString& signature, int imageIndex) override;
    TWord callMethod(int handle, const Vec<int>& args, const Vec<int>& levels, int resultLevel) override;
    [[noreturn]] void fatalError(const OString& message, int position) override;
    VMHeap& heap() override { return *heap_; }
    TWord convertReference(int delta, TWord word, GcCode code) override;
    // InterfaceForCallingGc
    void collectGarbage() override { collectWithStackRoots(); }

    virtual TWord newIntVector(int size);
    virtual void collectWithStackRoots();

    // Calls handle `handle` bypassing the queue ("VM concurrency error" while a call runs).
    TWord callDirect(int handle, const Vec<int>& args, const Vec<int>& levels, int resultLevel);

    // Bounds the work of the whole run: after `steps` taken branches, calls,
    // returns and error deliveries, counted over every host call, the running
    // call ends with the fatal error "instruction budget exhausted".
    // Negative: unbounded (the default).
    void setInstructionBudget(TInt64 steps);
    // Whether the next load() combines frequent instruction sequences in the
    // code the interpreter dispatches on. Off, every instruction runs through
    // its own handler: a check on the combined ones. Starts off where
    // LUMBRA_PLAIN_DISPATCH is set (to anything) in the environment.
    void setCombinedDispatch(bool on) { combinedDispatch = on; }
    // Counts every instruction run from now on into `profile` (null: stops
    // counting); call before load(): a profile turns the combined dispatch
    // off so that each instruction is counted as itself.
    void setOpProfile(OpProfile* profile)
    {
        opProfile = profile;
        if (profile)
            combinedDispatch = false;
    }
    // Ends the run with timeLimitStop() once `milliseconds` have passed from
    // now; the clock is read where the budget is counted. Negative: no limit.
    void setTimeLimit(TInt64 milliseconds);
    // The stop of a run past its time limit (status TIME_LIMIT_STATUS).
    MachineStop timeLimitStop() const;

    // Whether a delivery of `entry` calls bytecode: its entry resolved and,
    // but for the timer, orientation and exit entries, an application object
    // is set.
    bool delivers(int entry) const;
    // Event delivery (each does nothing where delivers() is false).
    void deliverDraw(TWord graphics);
    void deliverKey(int key, int scanCode, int modifiers, const OString& text, int pressed);
    void deliverPointer(int kind, int x, int y, int modifiers);
    void deliverForeground();
    void deliverBackground();
    void deliverTimer(TWord listener);
    void deliverExit();
    void deliverOrientation(TWord listener, int orientation);

    // ---- for natives: the stack (indices are checked, error 6 outside it)
    TWord& slot(int index)
    {
        if (index < 0 || index >= STACK_WORDS)
            Lumbra::raiseError(Lumbra::EInvalidArgument);
        return stackBase[index];
    }
    TWord& top() { return slot(sp); }
    TWord pop();
    void push(TWord value);
    TInt64 popLong();   // low word in the lower slot
    void pushLong(TInt64 value);
    // Arena address of stack slot `index`.
    TAddr slotAddress(int index) const { return stackAddr + TAddr(index) * 4; }

    Lumbra::Arena& arena() { return *arena_; }
    FrameworkServices* services() const { return frameworkServices; }

    // ---- for natives: managed objects
    // A new managed string with its reference box; answers the box.
    TWord newStringBox(const OString& text);
    // The string a reference box refers to (null box or null string: error 1).
    OString& stringFromBox(TWord box);
    // A one-word GC_CODE_REFERENCE box holding `word`.
    TWord newBox(TWord word);
    // A one-word block of kind `code` holding `word`.
    TWord newBoxWithCode(TWord word, GcCode code);
    // Word `index` of the block at `addr` (guarded).
    TWord wordAt(TAddr addr, int index = 0) { return arena_->loadWord(addr + TAddr(index) * 4); }

    // The detail of the last fatal error: its message and position.
    const std::string& fatalDetail() const { return lastFatal; }

    // Index of the top slot (-1: the stack is empty).
    int topIndex() const { return sp; }
    // Makes slot `index` the top, as a native leaves its results (-1: empty;
    // error 6 outside the stack).
    void setTopIndex(int index);
    // Code offset of the instruction running, for error reports.
    int position() const { return ip; }
    // The machine's random generator, made on first use from the host's seed.
    MersenneTwister& random();
    // Registers the application object (0: none) and keeps it alive; a VM
    // error for a word that is no live heap object.
    void setApplication(TWord object);

    // ---- for hosts
    // The signature of the method resolved for `entry`; empty when none is.
    VUvarString entrySignature(int entry) const;
    // The signature of the host call running, or of the last one a fatal
    // error ended; empty when there is none.
    VUvarString runningSignature() const;
    // Whether host calls wait in the queue.
    bool hasQueuedCalls() const { return !pendingCalls.empty(); }
    // The code of every loaded image, as loaded.
    std::span<const signed char> loadedCode() const { return {code, size_t(codeLength)}; }

    // Runs the interpreter from `ip` until it stops (ip < 0).
    void run();

private:
    friend class MachineTestAccess;

    // `fuel` ran out: hands out the next portion of the budget after a look
    // at the clock, or ends the run.
    void refuel();
    // The implementation of method row `row` for dispatch key `key`, or null.
    const ExportedMethod::MethodEntry* findImplementation(int row, int key) const;
    // Frame base of a call whose return address sits at `sp` (error 6 for a bad descriptor).
    int frameBase(int descriptor, int spAtReturn) const;
    // Hands an uncaught bytecode exception to the bytecode's last-resort handler.
    void enterUncaughtHandler(TWord thrown);
    // Reports a stack overflow at the current sp: an error bytecode can see
    // while the reserve is untouched, a fatal stop once it is used up.
    [[noreturn]] void stackOverflow();
    // A collection at a safepoint of running bytecode (registers saved):
    // the roots, and the whole live value stack, slots a frame's stack map
    // describes as such and every other word conservatively. Never raises;
    // false when a damaged block stopped it and nothing was freed.
    bool collectAtSafepoint();
    // Registers (kept current in the machine around every call out of the interpreter).
    int ip = -1;
    int sp = 0;
    TWord* stackBase = nullptr;
    TAddr stackAddr = 0;
    const signed char* code = nullptr;
    int codeLength = 0;
    int stackLimit = STACK_SOFT_LIMIT;
    TInt64 fuel = 0; // steps left in the running host call
    // Steps taken out of the fuel so that the next step check is a safepoint
    // where a wanted collection runs; given back there, so the budget counts
    // the same steps with and without collections.
    TInt64 heldSteps = 0;
    int handlerTop = 0;
    HandlerRecord handlers[HANDLER_RECORDS] = {};
    TWord application = 0;
    int entries[ENTRY_COUNT];
    Vec<MethodHandle> handles;
    int runningHandle = -1;
    std::deque<StoredMethodCall> pendingCalls; // first in, first out
    // One record per active call: its frame descriptor (-1: none) and the
    // stack slot its frame starts at. The first STACK_WORDS records exist from
    // the start, so a call in the interpreter loop only writes one and counts.
    struct CallFrame {
        int descriptor;
        int base;
    };
    std::vector<CallFrame> callFrames = std::vector<CallFrame>(STACK_WORDS);
    int frameDepth = 0; // records in use
    void pushFrame(int descriptor, int base);
    void* randomState = nullptr;
    Vec<OString> stringConstants;

    TWord runHostCall(int handle, const Vec<int>& args, const Vec<int>& levels, int resultLevel);
    // Runs the interpreter until the call returns, turning errors into bytecode calls.
    void runDelivering();
    void setUpInternalThrow(int code, const std::u16string& message);
    [[noreturn]] void stopFromError();
    void deliverQueued(int entry, const Vec<int>& args, const Vec<int>& levels);
    // Drops the roots that kept a stored call's objects alive while it waited.
    void releaseStoredCallRoots(const StoredMethodCall& call);
    void convertStringConstants();

    struct ImplementationCacheLine {
        int row = -1;
        int key = 0;
        int index = -1; // into the row's implementations; -1: none matches
    };
    static constexpr int IMPLEMENTATION_CACHE_LINES = 1024;
    // Filled by findImplementation; emptied whenever an image is loaded.
    mutable std::vector<ImplementationCacheLine> implementationCache =
        std::vector<ImplementationCacheLine>(IMPLEMENTATION_CACHE_LINES);

    std::unique_ptr<Lumbra::Arena> arena_;
    std::unique_ptr<VMHeap> heap_;
    TAddr stackBlock = 0; // the stack's arena range, guards included
    // codeBytes followed by invalid opcodes, and the handler id the loop
    // dispatches on for each of their bytes (FusedInstructions.h).
    Vec<signed char> paddedCode;
    std::vector<TUint16> dispatchIds;
    bool combinedDispatch = true;
    OpProfile* opProfile = nullptr;
    // lowerSlotsA + lowerSlotsB of each frame descriptor, in the order of
    // frameDescriptors: the frame base of a call is one subtraction away.
    Vec<TInt64> frameLowerSlots;
    TInt64 instructionBudget = -1; // steps not handed out as fuel yet; negative: unbounded
    TInt64 timeLimitMillis = -1;
    std::chrono::steady_clock::time_point deadline;
    std::string lastFatal;
    // Why an error could not be delivered to bytecode, added to the stop's message.
    std::string stopCause;
    std::string stopDetail; // after the cause's parenthesis
    // Ends the host call with InvalidArgumentException, remembering `cause`
    // and the `detail` that follows it.
    [[noreturn]] void undeliverable(const std::string& cause, const std::string& detail = std::string());
    // An uncaught exception with no vmprintthrowableandexit to take it: what
    // it was, for the error 6 it becomes when that cannot be delivered either.
    std::string uncaughtCause;
    // What exactly went wrong in the instruction that raised the last error,
    // when its code and text alone do not say: added to a stop's message.
    std::string errorDetail;
    // The last error handed to vminternalthrow, and the stack slot and value
    // of that call's return address: while they stand, the handler runs.
    std::string deliveredError;
    int deliveryReturnSlot = -1;
    TWord deliveryReturnAddress = 0;
    bool internalThrowRunning() const;

    // The instruction an error left, as it stood before it ran (its first
    // byte, the top and the call depth): an allocation that failed reruns it
    // once after a collection.
    int faultStart = -1;
    int faultTop = 0;
    int faultDepth = 0;
    int retriedStart = -1;     // the instruction last rerun, and the collection count after it
    int retriedCollections = -1;
    // Arena memory kept back to deliver the out-of-memory error; given back
    // to the arena when that error is delivered, taken again after a collection.
    static constexpr TUint32 MEMORY_RESERVE = 256 * 1024;
    TAddr memoryReserve = 0;
    void restoreMemoryReserve();
    // The out-of-memory error's text: what is live against what there is.
    std::u16string outOfMemoryText();
};
