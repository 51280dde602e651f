// Next occurrence of a mixed set of reminder rules, Gregorian and lunar, with a fixed clock; and the
// completion step, counted from the start, from a stored occurrence a year and a half on.
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "platform/base/Clock.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Rule
{
    QDateTime start;
    int cycleType;
    qint64 interval;
    QString specify;
    QDateTime end;
};

QDateTime at(const char *text)
{
    return DateManager::getDateFromString(QString::fromLatin1(text));
}

std::vector<Rule> rules()
{
    return {
        {at("2024/1/3 9:00:00"), 1, 1, {}, {}},
        {at("2023/6/17 7:30:00"), 1, 3, {}, at("2030/1/1 0:00:00")},
        {at("2024/2/5 8:00:00"), 2, 1, {}, {}},
        {at("2024/3/4 8:00:00"), 2, 1, QStringLiteral("2,4"), {}},
        {at("2023/11/1 21:00:00"), 2, 2, QStringLiteral("1,3,5"), {}},
        {at("2024/1/31 10:00:00"), 3, 1, {}, {}},
        {at("2023/5/15 12:00:00"), 3, 1, QStringLiteral("10,20"), at("2026/1/1 0:00:00")},
        {at("2022/4/5 9:00:00"), 3, 2, QStringLiteral("31"), {}},
        {at("2023/2/28 9:00:00"), 4, 1, {}, {}},
        {at("2023/3/1 9:00:00"), 4, 1, QStringLiteral("5,25"), {}},
        {at("2020/2/29 9:00:00"), 5, 1, {}, {}},
        {at("2021/3/9 9:00:00"), 5, 1, QStringLiteral("3,9"), {}},
    };
}

void setUp()
{
    Clock::setNow(at("2024/10/16 15:20:00"));
}

void run(benchmark::State &state, CalendarIdentifier cal)
{
    setUp();
    const std::vector<Rule> set = rules();
    size_t i = 0;
    for (auto _ : state) {
        const Rule &r = set[i];
        benchmark::DoNotOptimize(NoteDateManager::nextDateWithCalendarIdentifier(
            cal, r.start, r.cycleType, r.interval, r.specify, r.end));
        if (++i == set.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void runCompletion(benchmark::State &state, CalendarIdentifier cal)
{
    setUp();
    const std::vector<Rule> set = rules();
    std::vector<QDateTime> stored;
    for (const Rule &r : set)
        stored.push_back(NoteDateManager::nextRealDateWithCalendarIdentifier(cal, r.start, r.cycleType,
                                                                             r.interval, r.specify));
    size_t i = 0;
    for (auto _ : state) {
        const Rule &r = set[i];
        benchmark::DoNotOptimize(NoteDateManager::nextRealDateFromStartWithCalendarIdentifier(
            cal, r.start, stored[i], r.cycleType, r.interval, r.specify));
        if (++i == set.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_NextDateGregorian(benchmark::State &state)
{
    run(state, CalendarIdentifier::Gregorian);
}

void BM_NextDateLunar(benchmark::State &state)
{
    run(state, CalendarIdentifier::Chinese);
}

void BM_CompletionStepGregorian(benchmark::State &state)
{
    runCompletion(state, CalendarIdentifier::Gregorian);
}

void BM_CompletionStepLunar(benchmark::State &state)
{
    runCompletion(state, CalendarIdentifier::Chinese);
}

} // namespace

BENCHMARK(BM_NextDateGregorian);
BENCHMARK(BM_NextDateLunar);
BENCHMARK(BM_CompletionStepGregorian);
BENCHMARK(BM_CompletionStepLunar);
BENCHMARK_MAIN();
