// Native objects are charged with the host memory they own, so that a loop
// making them ends in the out-of-memory error within the host limit instead
// of growing the process: hashes, position requestors, bitmaps with the
// pixel copy a pixel write makes, bitmap fonts with the glyph pixmap
// their first draw makes, and audio players with their copy of the samples. Each loop keeps everything it made on the stack
// and logs "1" per object; the limit is lowered to 4 MiB.
#include "ExtensionRegistry.h"
#include "GraphicsScript.h"

#include <fstream>
#include <string>

namespace {

constexpr TInt64 LIMIT = TInt64(4) << 20;

class ChargedServices : public GraphicsTest::GraphicsServices {
public:
    ExtensionRegistry registry;
    int callExtension(int id, int operation, int top, TWord* stack) override
    {
        return registry.call(id, unsigned(operation), top, stack);
    }
};

struct Kind {
    const char* name;
    std::string setUp; // before the loop
    std::string one;   // makes one object and leaves a word that keeps it
    TInt64 perObject;  // host bytes charged for each, at least
};

} // namespace

TEST(HostMemoryCharges, EveryKindOfNativeObjectEndsInTheMemoryErrorWithinTheLimit)
{
    TestSupport::ensureGuiApplication();
    setenv("LUMBRA_GPSD", "127.0.0.1:1", 1); // nothing listens there
    const std::string noSpawn = ::testing::TempDir() + "no-autospawn.conf";
    std::ofstream(noSpawn) << "autospawn = no\n";
    setenv("PULSE_CLIENTCONFIG", noSpawn.c_str(), 1);
    setenv("PULSE_SERVER", "unix:/nonexistent-lumbra-test/native", 1);
    // A bitmap font: a 64 x 5 strip with one glyph (' ', 62 columns), as PNG bytes.
    // The loop keeps the bytes and a canvas on top: [.., png, canvas].
    const std::string font = "    push 0\n    box\n    dup\n    push 64\n    push 5\n    push 0xFF000000\n"
                             "    native 19, 1\n    dup\n    push 63\n    push 4\n    push 0xFFFFFFFF\n"
                             "    native 19, 9\n    push 2\n    native 19, 13\n"; // [.., png]
    const std::string canvas = "    push 0\n    box\n    dup\n    push 8\n    push 8\n    push 0\n    native 19, 1\n";
    const Kind kinds[] = {
        {"hash", "", "    push 0\n    box\n    dup\n    push 4\n    native 34, 1\n", 640},
        {"requestor", "", "    push 0\n    box\n    dup\n    push 0\n    push 0\n    push 1\n    ext 27, 1\n", 256},
        // 64 x 64 pixels: 16 KiB, and as much again for the copy a pixel write makes.
        {"bitmap with a written pixel", "",
         "    push 0\n    box\n    dup\n    push 64\n    push 64\n    push 0\n    native 19, 1\n"
         "    dup\n    push 1\n    push 1\n    push 5\n    native 19, 9\n",
         2 * 64 * 64 * 4},
        // Coverage 64 x 5 bytes; the glyph pixmap made at the draw, 64 x 5 ARGB.
        {"bitmap font drawn once", font + canvas,
         "    pick -2\n    native 32, 12\n    pick -2\n    pushstr space\n    push 0\n    push 0\n"
         "    push 0xFFFFFFFF\n    pick -6\n    native 18, 2\n    pick -3\n    pick -3\n",
         64 * 5 + 64 * 5 * 4},
        // Each player copies as its samples the bytes of a 64 x 64 bitmap encoded as BMP, at
        // least 3 bytes a pixel; no sound server is reached.
        {"audio player",
         "    push 0\n    box\n    dup\n    push 64\n    push 64\n    push 0xFF000000\n    native 19, 1\n"
         "    push 4\n    native 19, 13\n", // [.., bmp]
         "    push 0\n    box\n    dup\n    pick -3\n    push 0\n    ext 28, 2\n    pick -2\n", 64 * 64 * 3},
    };
    for (const Kind& kind : kinds) {
        MachineTest::MachineWith<ChargedServices> m;
        m.vm->heap().setHostBytesLimit(LIMIT);
        const std::string source = ".method \"main\" code=main frame=Main\n.frame Main\n.string space \" \"\n"
                                   "main:\n" +
                                   kind.setUp + "more:\n" + kind.one +
                                   "    push 1\n    itos\n    native 30, 1\n    jmp more\n" + MachineTest::ERROR_HOOKS;
        const MachineTest::Outcome outcome = m.loadBytes(m.assembleText(source));
        ASSERT_GE(outcome.logs.size(), 2u) << kind.name;
        const std::string& message = outcome.logs[outcome.logs.size() - 2];
        EXPECT_NE(message.find("out of memory: 4 MiB of host memory held by native objects, at most 4 MiB"),
                  std::string::npos)
            << kind.name << ": " << message;
        const TInt64 made = TInt64(outcome.logs.size()) - 2;
        EXPECT_LE(made * kind.perObject, LIMIT) << kind.name << ": " << made << " made";
        EXPECT_GT(made, 0) << kind.name;
    }
    unsetenv("LUMBRA_GPSD");
    unsetenv("PULSE_SERVER");
    unsetenv("PULSE_CLIENTCONFIG");
}
