#include "machine/OpProfile.h"

#include "image/OpcodeTable.h"

#include <algorithm>

using namespace Lumbra;

namespace {

constexpr int PROBES = 32; // slots looked at before a sequence counts as dropped

} // namespace

// Open addressing over a fixed number of slots, keyed by up to three shapes.
class OpProfile::Table {
public:
    explicit Table(std::size_t slotCount)
        : slots(slotCount)
    {
    }

    void add(const std::array<Shape, 3>& key, int length)
    {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (Shape s : key)
            h = (h ^ s) * 0xFF51AFD7ED558CCDull;
        const std::size_t mask = slots.size() - 1;
        for (int probe = 0; probe < PROBES; ++probe) {
            Sequence& slot = slots[(std::size_t(h >> 32) + std::size_t(probe)) & mask];
            if (slot.count == 0) {
                slot.shapes = key;
                slot.length = length;
            }
            if (slot.shapes == key) {
                ++slot.count;
                return;
            }
        }
        ++droppedCount;
    }

    std::vector<Sequence> used() const
    {
        std::vector<Sequence> result;
        for (const Sequence& slot : slots)
            if (slot.count != 0)
                result.push_back(slot);
        std::sort(result.begin(), result.end(), [](const Sequence& a, const Sequence& b) {
            return a.count != b.count ? a.count > b.count : a.shapes < b.shapes;
        });
        return result;
    }

    std::uint64_t dropped() const { return droppedCount; }

private:
    std::vector<Sequence> slots; // a power of two of them
    std::uint64_t droppedCount = 0;
};

OpProfile::OpProfile()
{
    tables[0] = std::make_unique<Table>(std::size_t(1) << 12);
    tables[1] = std::make_unique<Table>(std::size_t(1) << 14);
    tables[2] = std::make_unique<Table>(std::size_t(1) << 16);
}

OpProfile::~OpProfile() = default;

OpProfile::Shape OpProfile::shapeAt(const signed char* instruction)
{
    const Shape opcode = std::uint8_t(instruction[0]);
    if (opcode == OP_Native || opcode == OP_Extension)
        return opcode | Shape(std::uint8_t(instruction[1])) << 8 | Shape(std::uint8_t(instruction[2])) << 16;
    return opcode;
}

void OpProfile::count(const signed char* instruction)
{
    const Shape shape = shapeAt(instruction);
    ++executedCount;
    tables[0]->add({shape, NO_SHAPE, NO_SHAPE}, 1);
    if (previous[1] != NO_SHAPE)
        tables[1]->add({previous[1], shape, NO_SHAPE}, 2);
    if (previous[0] != NO_SHAPE)
        tables[2]->add({previous[0], previous[1], shape}, 3);
    previous[0] = previous[1];
    previous[1] = shape;
}

std::uint64_t OpProfile::dropped(int length) const
{
    return length >= 1 && length <= 3 ? tables[length - 1]->dropped() : 0;
}

std::vector<OpProfile::Sequence> OpProfile::sequences(int length) const
{
    return length >= 1 && length <= 3 ? tables[length - 1]->used() : std::vector<Sequence>();
}
