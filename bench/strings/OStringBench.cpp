// OString against std::u16string doing the same work: growing by single
// characters, and replacing every occurrence of a pattern in a large text.
// Searches of plain text in both case modes, and of a pattern that matches
// almost everywhere but at its last unit.
#include "OString.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int APPEND_COUNT = 10'000'000;
constexpr int TEXT_UNITS = 1 << 20;

struct ArenaScope {
    Lumbra::Arena arena;
    ArenaScope() { Lumbra::Arena::setCurrent(&arena); }
    ~ArenaScope() { Lumbra::Arena::setCurrent(nullptr); }
};

std::u16string sampleText()
{
    const std::u16string words = u"lorem ipsum dolor sit amet, consectetur adipiscing elit ";
    std::u16string text;
    while (text.size() < size_t(TEXT_UNITS))
        text += words;
    text.resize(size_t(TEXT_UNITS));
    return text;
}

void appendOString(benchmark::State& state)
{
    ArenaScope scope;
    for (auto _ : state) {
        OString s;
        for (int i = 0; i < APPEND_COUNT; ++i)
            s.append(char16_t(u'a' + i % 26));
        benchmark::DoNotOptimize(s.constData());
    }
}

void appendU16(benchmark::State& state)
{
    for (auto _ : state) {
        std::u16string s;
        for (int i = 0; i < APPEND_COUNT; ++i)
            s.push_back(char16_t(u'a' + i % 26));
        benchmark::DoNotOptimize(s.data());
    }
}

void replaceAllOString(benchmark::State& state)
{
    ArenaScope scope;
    const OString source = OString::fromU16(sampleText());
    const OString pattern = OString::fromU16(u"or");
    const OString replacement = OString::fromU16(u"OR!");
    for (auto _ : state) {
        OString s = source;
        s.replaceAll(pattern, replacement, 0, s.length() - 1, true);
        benchmark::DoNotOptimize(s.constData());
    }
}

void replaceAllU16(benchmark::State& state)
{
    const std::u16string source = sampleText();
    const std::u16string pattern = u"or";
    const std::u16string replacement = u"OR!";
    for (auto _ : state) {
        std::u16string s;
        size_t read = 0;
        for (size_t p = source.find(pattern); p != std::u16string::npos; p = source.find(pattern, read)) {
            s.append(source, read, p - read);
            s += replacement;
            read = p + pattern.size();
        }
        s.append(source, read);
        benchmark::DoNotOptimize(s.data());
    }
}

// Argument: 1 exact, 0 ignoring case. An absent phrase, then every "or".
void searchOString(benchmark::State& state)
{
    ArenaScope scope;
    const bool caseSensitive = state.range(0) != 0;
    const OString text = OString::fromU16(sampleText());
    const OString absent = OString::fromU16(u"dolor sit amen");
    const OString often = OString::fromU16(u"OR");
    for (auto _ : state) {
        benchmark::DoNotOptimize(text.indexOf(absent, 0, text.length() - 1, caseSensitive));
        benchmark::DoNotOptimize(text.count(often, 0, text.length() - 1, caseSensitive));
    }
}

// 40,000 "a" searched for 20,000 "a" and a "b".
void adversarialSearchOString(benchmark::State& state)
{
    ArenaScope scope;
    const bool caseSensitive = state.range(0) != 0;
    const OString text = OString::fromU16(std::u16string(40000, u'a'));
    const OString pattern = OString::fromU16(std::u16string(20000, u'a') + u'b');
    for (auto _ : state)
        benchmark::DoNotOptimize(text.indexOf(pattern, 0, text.length() - 1, caseSensitive));
}

} // namespace

BENCHMARK(searchOString)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(adversarialSearchOString)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(appendOString)->Unit(benchmark::kMillisecond);
BENCHMARK(appendU16)->Unit(benchmark::kMillisecond);
BENCHMARK(replaceAllOString)->Unit(benchmark::kMillisecond);
BENCHMARK(replaceAllU16)->Unit(benchmark::kMillisecond);
