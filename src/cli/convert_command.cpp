#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <system_error>

#include "commands.h"
#include "ordered_jobs.h"
#include "progress_bar.h"
#include "terminal_text.h"
#include "session/save_outputs.h"
#include "values/work_sharing.h"

namespace kerfwright::cli {
namespace {

// One piece of what an input prints, in the order it is printed.
struct Printed {
    bool onStandardError = false;
    std::string line;  // without its line end
};

// What converting one input printed and whether it went well, kept until
// the inputs before it have been reported. Its files are staged, not yet in
// place: they are committed in input order, so that of two inputs writing a
// file of the same name the later one's file stays, however the jobs race.
struct InputReport {
    std::vector<Printed> printed;
    std::vector<StagedFile> staged;             // in the order they were written
    std::optional<std::string> failureMessage;  // what stopped the saving
    bool read = false;

    void out(std::string line) { printed.push_back({false, std::move(line)}); }
    void error(std::string line) { printed.push_back({true, std::move(line)}); }
};

// The device and inode of a file, which tell it apart whatever path names it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

std::optional<FileIdentity> identityOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

// The files this run converts: none of them is ever replaced by an output,
// whatever the names, so that a project called "coaster.svg" is not
// overwritten with its own drawing.
class Inputs {
public:
    explicit Inputs(const std::vector<std::filesystem::path>& paths) {
        for (const auto& path : paths) {
            if (auto identity = identityOf(path)) identities_.push_back(*identity);
        }
    }

    bool contains(const std::filesystem::path& path) const {
        const auto identity = identityOf(path);
        return identity && std::find(identities_.begin(), identities_.end(), *identity) != identities_.end();
    }

private:
    std::vector<FileIdentity> identities_;
};

// A writer that stages each file into `staged` instead of putting it in place.
TextFileWriter stagingInto(std::vector<StagedFile>& staged, const Inputs& inputs) {
    return [&staged, &inputs](const std::filesystem::path& path, std::string_view text) -> std::optional<WriteFailure> {
        if (inputs.contains(path)) {
            return WriteFailure{"Could not write \"" + path.string() + "\": It is one of the files being converted"};
        }
        auto one = stageText(path, text);
        if (auto* failure = std::get_if<WriteFailure>(&one)) return std::move(*failure);
        staged.push_back(std::move(std::get<StagedFile>(one)));
        return std::nullopt;
    };
}

// Converts one input on up to `threads` threads and stages its files. Every
// drawing's warnings come first; the files written and what failed follow
// when they are committed.
InputReport convertOne(const std::filesystem::path& input, const std::optional<std::filesystem::path>& outputFolder,
                       const OutputProfile& profile, std::size_t threads, const Inputs& inputs) {
    InputReport report;
    const auto saved = convertAndSaveAll(
        input, profile, outputFolder.value_or(input.parent_path()), stagingInto(report.staged, inputs), threads,
        [&report](std::size_t, const std::string& fileName, const CanvasConversion& conversion) {
            for (const std::string& warning : conversion.warnings) report.error(fileName + ": " + warning);
        });
    if (const auto* message = std::get_if<std::string>(&saved)) {
        report.error(*message);
        return report;
    }
    report.failureMessage = std::get<SaveOutcome>(saved).failureMessage;
    report.read = true;
    return report;
}

// Puts the input's files in place, in order, stopping at the first that
// fails; lists each file committed, then what failed. True when all went.
bool commitAll(InputReport& report) {
    if (!report.read) return false;
    for (StagedFile& file : report.staged) {
        if (auto failure = file.commit()) {
            report.error(saveFailureMessage(failure->description));
            return false;
        }
        report.out(file.target().string());
    }
    if (report.failureMessage) report.error(*report.failureMessage);
    return !report.failureMessage;
}

// Standard error is unbuffered and flushes standard output before each
// write, so both streams keep the order the lines were made in.
void print(const InputReport& report) {
    for (const Printed& printed : report.printed) {
        (printed.onStandardError ? std::cerr : std::cout) << terminalText(printed.line) << '\n';
    }
    std::cout.flush();
}

}  // namespace

int convertFiles(const std::vector<std::filesystem::path>& inputs,
                 const std::optional<std::filesystem::path>& outputFolder, std::size_t jobs,
                 const OutputProfile& profile) {
    if (outputFolder) {
        // Nothing can be written where the folder cannot be made: that is the
        // failure to report, with its own cause, rather than each file's.
        std::error_code error;
        std::filesystem::create_directories(*outputFolder, error);
        if (error) {
            std::cerr << terminalText(saveFailureMessage(folderFailure(*outputFolder, error.value()).description))
                      << '\n';
            return kExitFailure;
        }
    }
    const Inputs converted(inputs);
    ProgressBar progressBar(inputs.size());
    bool allConverted = true;
    // Inputs done while the disk was busy with earlier ones are committed
    // together: their files are flushed first, all at once, which costs the
    // disk about as much as flushing one input's.
    std::vector<InputReport> waiting;
    // Jobs beyond one per input share the work within each input, on no
    // more threads than there are cores.
    const std::size_t threadsPerInput =
        inputs.empty() ? 1 : std::clamp<std::size_t>(jobs / inputs.size(), 1, usableThreadCount());
    const OrderedJobs<InputReport> conversions{
        .work = [&](std::size_t i) { return convertOne(inputs[i], outputFolder, profile, threadsPerInput, converted); },
        .deliver =
            [&](std::size_t, InputReport& report, bool nextIsReady) {
                waiting.push_back(std::move(report));
                if (nextIsReady) return;
                for (InputReport& input : waiting) {
                    for (StagedFile& file : input.staged) file.flush();
                }
                for (InputReport& input : waiting) {
                    allConverted = commitAll(input) && allConverted;
                    progressBar.hide();
                    print(input);
                    progressBar.show();
                }
                waiting.clear();
            },
        .progress = [&](std::size_t finished) { progressBar.update(finished); },
    };
    progressBar.update(0);
    conversions.run(inputs.size(), jobs);
    progressBar.hide();
    return allConverted ? kExitSuccess : kExitFailure;
}

}  // namespace kerfwright::cli
