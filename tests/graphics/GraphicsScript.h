// Programs that make bitmaps and draw with them through the natives, run
// on a machine whose host services carry the Qt graphics backend. Pixels
// come back as log lines through Bitmap function 7.
#pragma once

#include "MachineTestSupport.h"
#include "NativeTestSupport.h"

#include "GuiApplication.h"
#include "QtGraphicsBackend.h"

#include <cmath>

namespace GraphicsTest {

constexpr TUint32 WHITE = 0xFFFFFFFF, RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF, BLACK = 0xFF000000;

class GraphicsServices : public MachineTest::RecordingServices {
public:
    QtGraphicsBackend backend;
    std::vector<int> encodePhases;
    MGraphicsBackend* graphics() override { return &backend; }
    void encodeNotify(int phase) override { encodePhases.push_back(phase); }
};

// A native operand: a copy of the value pushed at a stack position, or a number.
struct Operand {
    bool position;
    TWord value;
};
inline Operand at(int position) { return {true, position}; }
inline Operand n(TWord value) { return {false, value}; }

// A canvas pixel and the colour it should have, each channel within `tolerance`.
struct Probe {
    int x, y;
    TUint32 expected;
    int tolerance = 0;
};

class Script : public NativeTest::Program {
public:
    void call(int group, int function, std::initializer_list<Operand> args, int results)
    {
        for (const Operand& a : args)
            a.position ? copy(a.value) : integer(a.value);
        vec(group, function, int(args.size()), results);
    }
    // Logs the one word that the call leaves.
    void logCall(int group, int function, std::initializer_list<Operand> args)
    {
        call(group, function, args, 1);
        logInt();
    }
    // A Fixed value: two slots, the low word first.
    void fixed(double value)
    {
        const TInt64 raw = std::llround(value * 4294967296.0);
        integer(TWord(raw & 0xFFFFFFFF));
        integer(TWord(raw >> 32));
    }
    // A box holding a new bitmap filled with `colour`; answers the box's position.
    int bitmap(int width, int height, TUint32 colour)
    {
        const int box = resultBox();
        call(19, 1, {at(box), n(width), n(height), n(TWord(colour))}, 0);
        return box;
    }
    void logPixel(int box, int x, int y) { logCall(19, 7, {at(box), n(x), n(y)}); }
    template <class Probes>
    void logProbes(int box, const Probes& probes)
    {
        for (const Probe& probe : probes)
            logPixel(box, probe.x, probe.y);
    }
    void logSize(int box)
    {
        call(19, 8, {at(box)}, 2);
        const int height = depth() - 1;
        copy(height - 1);
        logInt();
        logInt();
        drop();
    }
};

struct ScriptResult {
    MachineTest::Logs logs;
    std::vector<int> encodePhases;
};

inline ScriptResult run(const Script& script)
{
    TestSupport::ensureGuiApplication();
    MachineTest::MachineWith<GraphicsServices> m;
    const MachineTest::Outcome outcome = m.loadBytes(m.assembleText(script.source() + MachineTest::ERROR_HOOKS));
    return ScriptResult{outcome.logs, m.services.encodePhases};
}

// Logged colours as unsigned values.
inline std::vector<TUint32> colours(const MachineTest::Logs& logs)
{
    std::vector<TUint32> out;
    for (const std::string& line : logs)
        out.push_back(TUint32(std::stoll(line)));
    return out;
}

// Whether every channel of `actual` is within `tolerance` of `expected`.
inline bool near(TUint32 actual, TUint32 expected, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

// The colours of the last log lines, logged by Script::logProbes, against the probes.
template <class Probes>
void expectProbes(const MachineTest::Logs& logs, const Probes& probes)
{
    const size_t count = std::size(probes);
    ASSERT_GE(logs.size(), count) << testing::PrintToString(logs);
    const std::vector<TUint32> pixels = colours(MachineTest::Logs(logs.end() - long(count), logs.end()));
    for (size_t i = 0; i < count; ++i) {
        const Probe& probe = probes[i];
        EXPECT_TRUE(near(pixels[i], probe.expected, probe.tolerance))
            << "(" << probe.x << ", " << probe.y << "): " << std::hex << pixels[i] << " expected " << probe.expected;
    }
}

} // namespace GraphicsTest
