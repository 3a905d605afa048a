#include <sched.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <system_error>
#include <thread>

#include "commands.h"
#include "ordered_jobs.h"
#include "output_claims.h"
#include "progress_bar.h"
#include "session/save_outputs.h"

namespace kerfwright::cli {
namespace {

// One piece of what an input prints, in the order it is printed.
struct Printed {
    bool onStandardError = false;
    std::string line;  // without its line end
};

// What converting one input printed and whether it went well; kept until
// the inputs before it have been reported.
struct InputReport {
    std::vector<Printed> printed;
    bool converted = false;

    void out(std::string line) { printed.push_back({false, std::move(line)}); }
    void error(std::string line) { printed.push_back({true, std::move(line)}); }
};

// Converts and writes one input, each file through the claims so that among
// inputs running at once the later input's file stays. Every drawing's
// warnings come first, then the files written, then what failed.
InputReport convertOne(const std::filesystem::path& input, const std::optional<std::filesystem::path>& outputFolder,
                       std::size_t inputNumber, const OutputProfile& profile, OutputClaims& claims) {
    InputReport report;
    const auto streamed = convertAndSaveAll(input, profile, outputFolder.value_or(input.parent_path()),
                                            [&](const std::filesystem::path& path, std::string_view text) {
                                                return claims.write(path, inputNumber, text);
                                            });
    if (const auto* message = std::get_if<std::string>(&streamed)) {
        report.error(*message);
        return report;
    }
    const StreamedSave& saved = std::get<StreamedSave>(streamed);
    for (std::size_t i = 0; i < saved.warnings.size(); ++i) {
        for (const std::string& warning : saved.warnings[i]) report.error(saved.fileNames[i] + ": " + warning);
    }
    for (const SavedConversion& conversion : saved.outcome.saved) {
        report.out(conversion.svgPath.string());
        if (conversion.sidecarPath) report.out(conversion.sidecarPath->string());
    }
    if (saved.outcome.failureMessage) {
        report.error(*saved.outcome.failureMessage);
        return report;
    }
    report.converted = true;
    return report;
}

// Standard error is unbuffered and flushes standard output before each
// write, so both streams keep the order the lines were made in.
void print(const InputReport& report) {
    for (const Printed& printed : report.printed) {
        (printed.onStandardError ? std::cerr : std::cout) << printed.line << '\n';
    }
    std::cout.flush();
}

}  // namespace

std::size_t defaultJobCount() {
#ifdef KERFWRIGHT_NO_THREADS
    // No thread to spread over, nor a way to ask for the cores.
    return 1;
#else
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) {
        return static_cast<std::size_t>(CPU_COUNT(&usable));
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
#endif
}

int convertFiles(const std::vector<std::filesystem::path>& inputs,
                 const std::optional<std::filesystem::path>& outputFolder, std::size_t jobs,
                 const OutputProfile& profile) {
    if (outputFolder) {
        // A folder that cannot be made shows up as the first failed write.
        std::error_code ignored;
        std::filesystem::create_directories(*outputFolder, ignored);
    }
    OutputClaims claims;
    ProgressBar progressBar(inputs.size());
    bool allConverted = true;
    const OrderedJobs<InputReport> conversions{
        .work = [&](std::size_t i) { return convertOne(inputs[i], outputFolder, i, profile, claims); },
        .deliver =
            [&](std::size_t, InputReport& report) {
                progressBar.hide();
                print(report);
                progressBar.show();
                allConverted = report.converted && allConverted;
            },
        .progress = [&](std::size_t finished) { progressBar.update(finished); },
    };
    progressBar.update(0);
    conversions.run(inputs.size(), jobs);
    progressBar.hide();
    return allConverted ? kExitSuccess : kExitFailure;
}

}  // namespace kerfwright::cli
