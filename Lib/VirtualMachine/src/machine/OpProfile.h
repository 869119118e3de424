// Counts of the instructions a run executes: each alone, in pairs and in
// threes, in the order they ran (across jumps, calls and returns). The tables
// have a fixed size; a sequence that finds no room in its table is counted as
// dropped rather than making the table grow.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class OpProfile {
public:
    // One instruction as counted: its opcode in the low byte and, for the
    // native and extension calls, the two operand bytes (group and function)
    // above it.
    using Shape = std::uint32_t;
    static constexpr Shape NO_SHAPE = 0xFFFFFFFFu;
    static Shape shapeAt(const signed char* instruction);
    static int opcodeOf(Shape shape) { return int(shape & 0xFF); }
    static int firstOperandOf(Shape shape) { return int(std::int8_t(shape >> 8)); }
    static int secondOperandOf(Shape shape) { return int(std::int8_t(shape >> 16)); }

    struct Sequence {
        std::array<Shape, 3> shapes{NO_SHAPE, NO_SHAPE, NO_SHAPE}; // the first `length` are used
        int length = 0;
        std::uint64_t count = 0;
    };

    OpProfile();
    ~OpProfile();

    // The instruction starting at `instruction` is about to run.
    void count(const signed char* instruction);
    // The interpreter's own handler of each dispatch byte, set by the loop.
    const void* handlers[256] = {};
    // count(), then the handler of dispatch byte `byte`. Out of line, so that
    // the loop's code around its counting jump stays as it is without one.
    [[gnu::noinline]] const void* countAndDispatch(const signed char* instruction, unsigned char byte)
    {
        count(instruction);
        return handlers[byte];
    }

    std::uint64_t executed() const { return executedCount; }
    // Occurrences of sequences of `length` (1 to 3) that found no room.
    std::uint64_t dropped(int length) const;
    // Every counted sequence of `length`, most frequent first; ties in the
    // order of their shapes.
    std::vector<Sequence> sequences(int length) const;

private:
    class Table;
    std::unique_ptr<Table> tables[3];
    Shape previous[2] = {NO_SHAPE, NO_SHAPE}; // the instructions before, the latest last
    std::uint64_t executedCount = 0;
};
