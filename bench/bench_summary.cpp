#include "bench_summary.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string_view>

#include "bench_setup.h"
#include "reading/zip_archive.h"

namespace kerfwright::bench {
namespace {

// The floor may be no more than this many times faster than the conversion.
constexpr double kFloorRatioTarget = 2.5;
// Peak memory may be at most this many times the inflated entries and the output.
constexpr double kMemoryFactorTarget = 2.0;
// Converting the folder with two jobs must be at least this much faster than with one.
constexpr double kScalingTarget = 1.8;
// The folder written to disk with every file made durable may take at most
// this many times as long as written to a RAM disk.
constexpr double kDurabilityTarget = 1.15;
// The large project converted with every core may take at most this many
// times the floor, which is one core's.
constexpr double kAllCoresRatioTarget = 1.5;
// The medium project converted on one core must write at least this many
// bytes per second.
constexpr double kMediumBytesPerSecondTarget = 150e6;
constexpr std::string_view kMediumMix = "medium";
// The web build under Node, which has one thread, may take at most this many
// times the native tool's time on one job.
constexpr double kWebRatioTarget = 3.0;

std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string megabytes(double bytes) { return fixed(bytes / 1e6, 1) + " MB"; }

void printLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

std::string verdict(bool met) { return met ? "  (target met)" : "  (TARGET MISSED)"; }

std::uint64_t inflatedEntryBytes(const fs::path& project) {
    const auto opened = zip::Archive::open(project);
    std::uint64_t total = 0;
    for (const zip::Entry& entry : std::get<zip::Archive>(opened).entries()) {
        if (!isUsedEntry(entry.path)) continue;
        total += std::get<std::string>(std::get<zip::Archive>(opened).extract(entry)).size();
    }
    return total;
}

// The same standard output and error and the same files whatever the number of jobs.
bool jobCountChangesNothing() {
    const fs::path scratch = setup().scratch;
    return folderContents(scratch / "cli-small-j1") == folderContents(scratch / "cli-small-j2") &&
           readBytes(scratch / "cli-small-j1.out") == readBytes(scratch / "cli-small-j2.out") &&
           readBytes(scratch / "cli-small-j1.err") == readBytes(scratch / "cli-small-j2.err");
}

// One project of another mix: its ratio to the floor, its output per
// second and its peak memory.
void printMixSummary(const SummaryReporter& reporter, const fs::path& mix) {
    const std::string name = mix.stem().string();
    const auto floor = reporter.milliseconds("mix_floor/" + name);
    const auto whole = reporter.milliseconds("mix_conversion/" + name);
    const auto peakKilobytes = reporter.counter("cli_mix/" + name + ":peak_kB");
    if (!whole && !peakKilobytes) return;
    const double inflated = static_cast<double>(inflatedEntryBytes(mix));
    const auto& sizes = outputFileSizes(mix);
    const double output = static_cast<double>(std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}));
    printLine("  " + name + ": " + megabytes(inflated) + " inflated entries, " + megabytes(output) + " written in " +
              std::to_string(sizes.size()) + " files");
    if (whole && floor) {
        const double ratio = *whole / *floor;
        const double bytesPerSecond = output / *whole * 1000;
        printLine("    conversion " + fixed(*whole, 0) + " ms, floor " + fixed(*floor, 0) + " ms, ratio " +
                  fixed(ratio, 2) + verdict(ratio <= kFloorRatioTarget) + ", " + megabytes(bytesPerSecond) +
                  " written per second" +
                  (name == kMediumMix ? verdict(bytesPerSecond >= kMediumBytesPerSecondTarget) : ""));
    }
    if (peakKilobytes) {
        const double peak = *peakKilobytes * 1024;
        printLine("    command-line tool, every core: " + fixed(*reporter.milliseconds("cli_mix/" + name), 0) +
                  " ms, peak memory " + megabytes(peak) + " (" + fixed(peak / (inflated + output), 2) +
                  " x entries + output)" + verdict(peak <= kMemoryFactorTarget * (inflated + output)));
    }
}

}  // namespace

void printSummary(const SummaryReporter& reporter) {
    printLine("");
    printLine("Summary (fastest of " + std::to_string(kRepetitions) + " runs each)");
    const auto floor = reporter.milliseconds("floor");
    const auto whole = reporter.milliseconds("whole_conversion");
    const auto peakKilobytes = reporter.counter("cli_large_project:peak_kB");
    if (whole || peakKilobytes) {
        const double inflated = static_cast<double>(inflatedEntryBytes(setup().largeProject));
        const auto& sizes = outputFileSizes(setup().largeProject);
        const double output = static_cast<double>(std::accumulate(sizes.begin(), sizes.end(), std::size_t{0}));
        printLine("  large project:     " + megabytes(inflated) + " inflated entries, " + megabytes(output) +
                  " written in " + std::to_string(sizes.size()) + " files");
        if (peakKilobytes) {
            const double peak = *peakKilobytes * 1024;
            const double limit = kMemoryFactorTarget * (inflated + output);
            printLine("  peak memory:       " + megabytes(peak) + " of at most " + megabytes(limit) + " (" +
                      fixed(peak / (inflated + output), 2) + " x entries + output)" + verdict(peak <= limit));
        }
    }
    if (whole && floor) {
        const double ratio = *whole / *floor;
        printLine("  whole conversion:  " + fixed(*whole, 0) + " ms");
        printLine("  floor:             " + fixed(*floor, 0) + " ms (inflate the entries used, write as many bytes)");
        printLine("  ratio to floor:    " + fixed(ratio, 2) + verdict(ratio <= kFloorRatioTarget) + ", target " +
                  fixed(kFloorRatioTarget, 1));
        const auto streamed = reporter.milliseconds("floor_inflating");
        const auto inOneCall = reporter.milliseconds("floor_inflating_in_one_call");
        if (streamed && inOneCall) {
            const double lowerFloor = *floor - *streamed + *inOneCall;
            printLine("  floor inflating in one call: " + fixed(lowerFloor, 0) + " ms (inflating " +
                      fixed(*inOneCall, 0) + " ms, not " + fixed(*streamed, 0) + "), ratio " +
                      fixed(*whole / lowerFloor, 2));
        }
    }
    const auto allCores = reporter.milliseconds("cli_large_project");
    if (allCores && floor) {
        const double ratio = *allCores / *floor;
        printLine("  all cores:         " + fixed(*allCores, 0) + " ms, " + fixed(ratio, 2) + " x the floor" +
                  verdict(ratio <= kAllCoresRatioTarget) + ", target " + fixed(kAllCoresRatioTarget, 1));
    }
    const auto native = reporter.milliseconds("cli_large_project_one_job");
    const auto node = reporter.milliseconds("node_large_project");
    if (native && node) {
        const double ratio = *node / *native;
        printLine("  web build, Node:   " + fixed(*node, 0) + " ms against the native tool's " + fixed(*native, 0) +
                  " ms on one job, " + fixed(ratio, 2) + " x" + verdict(ratio <= kWebRatioTarget) + ", target " +
                  fixed(kWebRatioTarget, 1));
    }
    const auto oneJob = reporter.milliseconds("cli_small_folder/1");
    const auto twoJobs = reporter.milliseconds("cli_small_folder/2");
    if (oneJob && twoJobs) {
        const double speedUp = *oneJob / *twoJobs;
        printLine("  small folder:      " + std::to_string(setup().smallProjects.size()) + " projects, -j 1 " +
                  fixed(*oneJob, 0) + " ms, -j 2 " + fixed(*twoJobs, 0) + " ms");
        printLine("  speed-up 1 -> 2:   " + fixed(speedUp, 2) + verdict(speedUp >= kScalingTarget) + ", target " +
                  fixed(kScalingTarget, 1));
        printLine(std::string("  -j 1 and -j 2:     ") +
                  (jobCountChangesNothing() ? "the same output, byte for byte" : "OUTPUTS DIFFER"));
    }
    const auto inMemory = reporter.milliseconds("cli_small_folder_in_memory");
    if (oneJob && inMemory) {
        const double ratio = *oneJob / *inMemory;
        printLine("  disk vs RAM disk:  -j 1 " + fixed(*oneJob, 0) + " ms on disk, " + fixed(*inMemory, 0) +
                  " ms on a RAM disk, " + fixed(ratio, 2) + " x" + verdict(ratio <= kDurabilityTarget) +
                  ", target " + fixed(kDurabilityTarget, 2));
    }
    for (const fs::path& mix : setup().mixes) printMixSummary(reporter, mix);
}

}  // namespace kerfwright::bench
