// The one way tests, benchmarks and fuzzers reach a machine's registers and
// tables. Natives, extensions and hosts go through NativeCallFrame and the
// machine's public interface instead; nothing else includes this header.
#pragma once

#include "machine/VirtualMachine.h"

#include <string>
#include <vector>

class MachineTestAccess {
public:
    explicit MachineTestAccess(VirtualMachine& vm) : vm(vm) {}

    int& ip() { return vm.ip; }
    int& sp() { return vm.sp; }
    TInt64& fuel() { return vm.fuel; }
    int& frameDepth() { return vm.frameDepth; }
    int& handlerTop() { return vm.handlerTop; }
    TWord* stack() { return vm.stackBase; }
    TAddr stackAddress() const { return vm.stackAddr; }
    TWord& application() { return vm.application; }
    int entry(int which) const { return vm.entries[which]; }
    Vec<VirtualMachine::MethodHandle>& handles() { return vm.handles; }
    int runningHandle() const { return vm.runningHandle; }
    Lumbra::MachineTables& tables() { return vm; }

    // Everything bytecode can observe of a stopped or paused machine, for
    // comparing two runs of the same program word for word.
    struct State {
        std::vector<TWord> stack; // every slot, the words above the top included
        int sp = 0;
        int ip = 0;
        TInt64 fuel = 0;          // steps left in the run
        int frameDepth = 0;
        int handlerTop = 0;
        std::string fatal; // the last fatal error's message and position
        bool operator==(const State&) const = default;
    };
    State capture() const
    {
        State s;
        s.stack.assign(vm.stackBase, vm.stackBase + VirtualMachine::STACK_WORDS);
        s.sp = vm.sp;
        s.ip = vm.ip;
        // Steps left in the whole run, wherever they are kept.
        s.fuel = vm.fuel + vm.heldSteps + (vm.instructionBudget > 0 ? vm.instructionBudget : 0);
        s.frameDepth = vm.frameDepth;
        s.handlerTop = vm.handlerTop;
        s.fatal = vm.fatalDetail();
        return s;
    }

private:
    VirtualMachine& vm;
};
