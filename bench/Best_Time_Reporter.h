#pragma once
// The console table as usual, and each benchmark's best and mean time per
// item kept for the ratios a benchmark prints after its runs.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class Best_Time_Reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> best;
    // The mean over all runs (repetitions) of each run's mean time per item.
    std::map<std::string, double> mean;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const std::string name = r.run_name.function_name;
            const double t = r.GetAdjustedRealTime();
            if (!best.count(name) || t < best[name]) best[name] = t;
            auto& [sum, n] = sums_[name];
            sum += t;
            mean[name] = sum / ++n;
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::map<std::string, std::pair<double, int>> sums_;
};
