// Fixed-point multiply and divide against double arithmetic on the same values.
#include "values/ORaw.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int N = 4096;

struct Operands {
    std::vector<TInt64> a, b;
    std::vector<double> da, db;
    Operands()
    {
        std::mt19937_64 rng(5);
        std::uniform_real_distribution<double> value(-1000.0, 1000.0);
        for (int i = 0; i < N; ++i) {
            double x = value(rng), y = value(rng);
            if (y == 0.0)
                y = 1.0;
            a.push_back(ORaw::toFixed(x, 0));
            b.push_back(ORaw::toFixed(y, 0));
            da.push_back(ORaw::toReal(a.back()));
            db.push_back(ORaw::toReal(b.back()));
        }
    }
};

const Operands& operands()
{
    static const Operands o;
    return o;
}

template <class T, class Op>
void run(benchmark::State& state, const std::vector<T>& a, const std::vector<T>& b, Op op)
{
    for (auto _ : state) {
        for (int i = 0; i < N; ++i) {
            T r = op(a[size_t(i)], b[size_t(i)]);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * N);
}

void FixedMultiply(benchmark::State& s) { run(s, operands().a, operands().b, ORaw::mul); }
void DoubleMultiply(benchmark::State& s) { run(s, operands().da, operands().db, [](double x, double y) { return x * y; }); }
void FixedDivide(benchmark::State& s) { run(s, operands().a, operands().b, ORaw::div); }
void DoubleDivide(benchmark::State& s) { run(s, operands().da, operands().db, [](double x, double y) { return x / y; }); }

} // namespace

BENCHMARK(FixedMultiply);
BENCHMARK(DoubleMultiply);
BENCHMARK(FixedDivide);
BENCHMARK(DoubleDivide);
