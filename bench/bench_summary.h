#pragma once
// The benchmark program's summary: the fastest run of each measurement,
// set against the targets.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kerfwright::bench {

// Keeps the fastest repetition of each benchmark while printing as usual.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            std::string key = run.run_name.function_name;
            if (!run.run_name.args.empty()) key += "/" + run.run_name.args;
            const double milliseconds = run.GetAdjustedRealTime();
            const auto [entry, isNew] = fastest_.try_emplace(key, milliseconds);
            if (!isNew) entry->second = std::min(entry->second, milliseconds);
            for (const auto& [counter, value] : run.counters) counters_[key + ":" + counter] = value;
        }
    }

    std::optional<double> milliseconds(const std::string& key) const { return find(fastest_, key); }
    std::optional<double> counter(const std::string& key) const { return find(counters_, key); }

private:
    static std::optional<double> find(const std::map<std::string, double>& values, const std::string& key) {
        const auto found = values.find(key);
        if (found == values.end()) return std::nullopt;
        return found->second;
    }

    std::map<std::string, double> fastest_;
    std::map<std::string, double> counters_;
};

// Lines whose measurements were filtered out are left out.
void printSummary(const SummaryReporter& reporter);

}  // namespace kerfwright::bench
