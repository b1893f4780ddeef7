// AddRow into a selection panel with duplicate removal (which keeps the list
// sorted) and automatic column sizing, at 10,000 and 100,000 rows. The rows arrive
// in order, as a lookup window hands them over, with every tenth one repeating its
// predecessor in other letter case; one by one, and inside an update of the list.
// The same rows shuffled are added inside an update: there they wait and are put
// in place together when it ends (one by one, each would move the rows after it).
#include <QApplication>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "components/SelectPnl.h"

namespace kv {
namespace {

std::vector<QStringList> MakeRows(int count, bool shuffled) {
    std::vector<QStringList> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        // Every tenth row repeats the one before it in lower case.
        const int key = i % 10 == 9 ? i - 1 : i;
        QString caption = QStringLiteral("E%1").arg(key, 7, 10, QLatin1Char('0'));
        if (key != i) caption = caption.toLower();
        rows.push_back({caption, QStringLiteral("员工%1").arg(i % 997), QString(i % 13, QLatin1Char('x'))});
    }
    if (shuffled) std::shuffle(rows.begin(), rows.end(), std::mt19937(42));
    return rows;
}

void AddRows(benchmark::State& state, bool shuffled, bool inUpdate) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<QStringList> rows = MakeRows(count, shuffled);
    int kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto panel = std::make_unique<TSelectPanel>(nullptr);
        panel->SetStyle(sp_Discrete);
        panel->SetCheckDuplicate(cd_CaseInsensitive);
        panel->SetColumnsAutoSize(true);
        state.ResumeTiming();
        if (inUpdate) panel->Items()->BeginUpdate();
        for (const QStringList& row : rows) panel->ListView()->AddRow(row);
        if (inUpdate) panel->Items()->EndUpdate();
        state.PauseTiming();
        kept = panel->Items()->Count();
        panel.reset();
        state.ResumeTiming();
    }
    state.counters["rows_kept"] = kept;
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_AddRowInOrder(benchmark::State& state) { AddRows(state, false, false); }
void BM_AddRowInOrderInUpdate(benchmark::State& state) { AddRows(state, false, true); }
void BM_AddRowShuffledInUpdate(benchmark::State& state) { AddRows(state, true, true); }

// Three repetitions each, reported by their median: the machine is shared.
BENCHMARK(BM_AddRowInOrder)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_AddRowInOrderInUpdate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_AddRowShuffledInUpdate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

// Prints, after the table, how the time for 100,000 rows compares to that for
// 10,000 rows of the same family (10 means a constant cost per row), from the
// medians when runs are repeated.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((!single && !median) || run.run_name.args.empty()) continue;
            FTimes[run.run_name.function_name][std::stol(run.run_name.args)] = {run.GetAdjustedRealTime(),
                                                                               run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [family, times] : FTimes) {
            const auto small = times.find(10000);
            const auto large = times.find(100000);
            if (small == times.end() || large == times.end() || small->second.first <= 0 ||
                small->second.second <= 0)
                continue;
            std::printf("%s: 100000 rows take %.1f times as long as 10000 rows (CPU time: %.1f times)\n",
                        family.c_str(), large->second.first / small->second.first,
                        large->second.second / small->second.second);
        }
    }

private:
    // Real and CPU time per family and row count.
    std::map<std::string, std::map<long, std::pair<double, double>>> FTimes;
};

}  // namespace
}  // namespace kv

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    kv::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
