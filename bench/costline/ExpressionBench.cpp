#include "costline/Expression.h"

#include <benchmark/benchmark.h>

namespace {

void BM_BuildStrBds(benchmark::State &state)
{
    const QString price = QStringLiteral("123");
    const QList<Factor> factors = {{QStringLiteral("45"), QStringLiteral("间")},
                                   {QStringLiteral("6"), QStringLiteral("天")},
                                   {QStringLiteral("2"), QStringLiteral("人")}};
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildStrBds(price, factors));
}
BENCHMARK(BM_BuildStrBds);

void BM_ParseStrBds(benchmark::State &state)
{
    const QString text = QStringLiteral("单价: 123.00 × 45间 × 6天 × 2人");
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseStrBds(text));
}
BENCHMARK(BM_ParseStrBds);

} // namespace
