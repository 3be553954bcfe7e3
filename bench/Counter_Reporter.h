#pragma once
// The console table as usual, and one counter of each benchmark's runs kept
// (by the benchmark's name with its arguments) for the table of goals a
// benchmark prints after its runs.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class Counter_Reporter : public benchmark::ConsoleReporter {
public:
    explicit Counter_Reporter(std::string counter) : counter_(std::move(counter)) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const auto c = r.counters.find(counter_);
            if (c == r.counters.end()) continue;
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            values[name].push_back(c->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::vector<double>> values;

private:
    std::string counter_;
};
