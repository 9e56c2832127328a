#include "bench/RatioReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            const std::string name =
                run.run_type == Run::RT_Aggregate ? run.run_name.str() : run.benchmark_name();
            times[name] = run.GetAdjustedRealTime();
            for (const auto& [counter, value] : run.counters)
                counters[name + "/" + counter] = value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
    std::map<std::string, double> counters;
};

} // namespace

int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-62s %8s %8s  %s\n", "ratio against the baseline of the same run", "value",
                "goal", "");
    for (const Ratio& r : ratios) {
        double value = 0;
        if (!r.counter.empty()) {
            const auto c = reporter.counters.find(r.measured + "/" + r.counter);
            if (c == reporter.counters.end())
                continue;
            value = c->second;
        } else {
            const auto m = reporter.times.find(r.measured);
            const auto b = reporter.times.find(r.baseline);
            if (m == reporter.times.end() || b == reporter.times.end())
                continue;
            value = r.higherIsBetter ? b->second / m->second : m->second / b->second;
        }
        const bool met = r.higherIsBetter ? value >= r.goal : value <= r.goal;
        std::printf("%-62s %8.2f %s%6.2f  %s\n", r.label.c_str(), value,
                    r.higherIsBetter ? ">=" : "<=", r.goal, met ? "met" : "NOT MET");
    }
    return 0;
}
