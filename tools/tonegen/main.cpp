// tonegen OUT.raw HZ:MS...: renders a short tune as raw sound data, signed
// 16-bit little-endian samples, one channel, 44100 per second: the form the
// audio extension plays without a header.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr int RATE = 44100;
constexpr double AMPLITUDE = 0.3 * 32767; // leaves headroom when sounds overlap
constexpr int FADE = RATE / 200;          // 5 ms in and out: no clicks at note edges
constexpr int MAX_HZ = RATE / 2, MAX_MS = 10000;

const char* const USAGE = "usage: tonegen OUT.raw HZ:MS [HZ:MS ...] | --help\n";

// One sine note with soft edges; a frequency of 0 is a rest.
void appendNote(std::vector<short>& samples, int hz, int ms)
{
    const int count = RATE * ms / 1000;
    for (int i = 0; i < count; ++i) {
        const double edge = std::min({1.0, double(i) / FADE, double(count - 1 - i) / FADE});
        const double value = hz == 0 ? 0 : std::sin(2 * M_PI * hz * i / RATE) * AMPLITUDE * edge;
        samples.push_back(short(std::lround(value)));
    }
}

bool parseNote(const char* text, int& hz, int& ms)
{
    char end = 0;
    return std::sscanf(text, "%d:%d%c", &hz, &ms, &end) == 2 && hz >= 0 && hz <= MAX_HZ && ms > 0 && ms <= MAX_MS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(USAGE, stdout);
        std::fputs("Writes the notes one after the other, each a sine of HZ hertz (0: silence)\n"
                   "lasting MS milliseconds, as signed 16-bit little-endian samples, one\n"
                   "channel, 44100 per second, without a header.\n",
                   stdout);
        return 0;
    }
    if (argc < 3 || argv[1][0] == '-') {
        std::fputs(USAGE, stderr);
        return 2;
    }
    std::vector<short> samples;
    for (int i = 2; i < argc; ++i) {
        int hz = 0, ms = 0;
        if (!parseNote(argv[i], hz, ms)) {
            std::fprintf(stderr, "tonegen: bad note '%s' (HZ 0 to %d, MS 1 to %d)\n", argv[i], MAX_HZ, MAX_MS);
            return 2;
        }
        appendNote(samples, hz, ms);
    }
    std::vector<unsigned char> bytes;
    for (short s : samples) {
        bytes.push_back((unsigned char)(s & 0xFF));
        bytes.push_back((unsigned char)((unsigned short)s >> 8));
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "tonegen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
