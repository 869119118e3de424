#include "profile/OpProfileReport.h"

#include "image/OpcodeTable.h"
#include "natives/NativeTable.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Lumbra {

std::string opProfileShapeText(OpProfile::Shape shape)
{
    const int opcode = OpProfile::opcodeOf(shape);
    const OpcodeInfo& info = opcodeInfo(TUint8(opcode));
    if (!info.mnemonic)
        return "invalid " + std::to_string(opcode);
    std::string text = info.mnemonic;
    if (opcode == OP_Native || opcode == OP_Extension) {
        // A native call's group and function bytes are unsigned; an
        // extension call's numbers are signed.
        const bool native = opcode == OP_Native;
        const int first = native ? int(std::uint8_t(shape >> 8)) : OpProfile::firstOperandOf(shape);
        const int second = native ? int(std::uint8_t(shape >> 16)) : OpProfile::secondOperandOf(shape);
        text += ' ' + std::to_string(first) + ' ' + std::to_string(second);
        const std::string name = native ? nativeName(first, second) : std::string();
        if (!name.empty())
            text += ' ' + name;
    }
    return text;
}

std::string opProfileReport(const OpProfile& profile, int top)
{
    static const char* const KINDS[] = {"single", "pair", "triple"};
    const std::uint64_t executed = profile.executed();
    std::string report = "profile: " + std::to_string(executed) + " instructions run; not counted for want of room: "
                       + std::to_string(profile.dropped(1)) + " singles, " + std::to_string(profile.dropped(2)) + " pairs, " + std::to_string(profile.dropped(3))
                       + " triples\n";
    for (int length = 1; length <= 3; ++length) {
        int shown = 0;
        for (const OpProfile::Sequence& sequence : profile.sequences(length)) {
            if (top > 0 && shown++ >= top)
                break;
            char head[96];
            std::snprintf(head, sizeof head, "profile: %s %" PRIu64 " %.2f%% ", KINDS[length - 1], sequence.count,
                          executed ? 100.0 * double(sequence.count) / double(executed) : 0.0);
            report += head;
            for (int i = 0; i < sequence.length; ++i)
                report += (i ? " | " : "") + opProfileShapeText(sequence.shapes[std::size_t(i)]);
            report += '\n';
        }
    }
    return report;
}

namespace {

struct ProfileAtExit {
    OpProfile profile;
    std::FILE* out = stderr;
    int top = 0;
    std::string program;
};
ProfileAtExit* profileAtExit = nullptr; // never freed: exit handlers still read it

void writeProfileAtExit()
{
    const std::string report = opProfileReport(profileAtExit->profile, profileAtExit->top);
    std::FILE* out = profileAtExit->out;
    if (std::fputs(report.c_str(), out) < 0 || std::fflush(out) != 0)
        std::fprintf(stderr, "%s: the profile could not be written\n", profileAtExit->program.c_str());
}

} // namespace

OpProfile* profileUntilExit(const char* program, const std::string& file, int top)
{
    if (profileAtExit)
        return &profileAtExit->profile;
    std::FILE* out = file.empty() ? stderr : std::fopen(file.c_str(), "w");
    if (!out) {
        std::fprintf(stderr, "%s: cannot write the profile to '%s': %s\n", program, file.c_str(), std::strerror(errno));
        return nullptr;
    }
    profileAtExit = new ProfileAtExit{{}, out, top, program};
    std::atexit(writeProfileAtExit);
    return &profileAtExit->profile;
}

} // namespace Lumbra
