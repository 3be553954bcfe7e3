#pragma once
// The console table as usual, and each benchmark's best time per item kept
// for the ratios a benchmark prints after its runs.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class Best_Time_Reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> best;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const std::string name = r.run_name.function_name;
            const double t = r.GetAdjustedRealTime();
            if (!best.count(name) || t < best[name]) best[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};
