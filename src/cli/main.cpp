// kerfwright-cli: converts .lac projects to SVG drawings and settings sidecars
// from the command line.

#include <CLI/CLI.hpp>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/resource.h>
#endif

#include <charconv>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "values/work_sharing.h"

namespace {

const char* const kVersionText = "kerfwright-cli " KERFWRIGHT_VERSION;

// Accepts a job count: a whole number from 1 up that an int holds.
std::string jobCountProblem(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc{} && stop == end && value >= 1) return {};
    return "the number of jobs must be a whole number from 1 up, not '" + text + "'";
}

// --profile NAME and --hairline, for a subcommand that converts.
void addProfileOptions(CLI::App& command, std::string& profileName, bool& hairline) {
    std::vector<std::string> names;
    for (const kerfwright::ProfileName name : kerfwright::kAllProfileNames) names.emplace_back(rawValue(name));
    command.add_option("--profile", profileName, "How to write the drawings for the program that imports them")
        ->check(CLI::IsMember(names));
    command.add_flag("--hairline", hairline, "Write cutting and scoring strokes at 0.025 mm");
}

// A conversion frees most of what one drawing needed before it draws the
// next. By default glibc hands the freed top of its heap back to the system
// at once and takes it back a few pages at a time, so the next drawing meets
// each page as a fresh fault, and the stretches advised for huge pages go
// with it. Keeping up to 128 MiB of freed heap for reuse makes a conversion
// on one core up to 30 % quicker; the peak grows by up to a quarter where two
// threads each keep their own. The heap then also grows 128 MiB of address
// space at a time, which a process limited in address space or data might
// not have although what it asks for fits: there the default stays.
void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit limit{};
        if (getrlimit(resource, &limit) != 0 || limit.rlim_cur != RLIM_INFINITY) return;
    }
    mallopt(M_TOP_PAD, 128 << 20);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using kerfwright::cli::kExitUsage;
    keepFreedMemoryForReuse();

    // Named as installed, not as the path it was started by.
    CLI::App app{"Converts .lac laser projects into SVG drawings (millimetres, one group per laser layer) "
                 "and .txt settings sidecars.",
                 "kerfwright-cli"};
    app.set_version_flag("--version", kVersionText);
    app.require_subcommand(1);

    std::vector<std::string> convertInputs;
    std::string outputFolder;
    int jobs = static_cast<int>(kerfwright::usableThreadCount());
    CLI::App* convert = app.add_subcommand(
        "convert", "Convert each FILE.lac and write its SVG files and sidecars, as Save All would.");
    convert->set_version_flag("--version", kVersionText);
    convert->add_option("-o,--output", outputFolder, "Folder to write into (default: each input's own folder)");
    convert->add_option("-j,--jobs", jobs, "How many projects to convert at once (default: the number of cores)")
        ->check(CLI::Validator(jobCountProblem, "N>=1"));
    std::string profileName(kerfwright::rawValue(kerfwright::ProfileName::standard));
    bool hairline = false;
    addProfileOptions(*convert, profileName, hairline);
    convert->add_option("FILE.lac", convertInputs, "Projects to convert, in order")->required();

    std::string infoInput;
    bool infoAsJson = false;
    CLI::App* info = app.add_subcommand("info", "Describe the conversions of FILE.lac.");
    info->set_version_flag("--version", kVersionText);
    info->add_flag("--json", infoAsJson, "Print one JSON object instead of a readable summary");
    addProfileOptions(*info, profileName, hairline);
    info->add_option("FILE.lac", infoInput, "Project to describe")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kExitUsage;
    }

    // Each input reports its own failures; what still escapes (memory for
    // the command line itself, a thread that cannot start) ends the run with
    // a message rather than an abort.
    try {
        const kerfwright::OutputProfile profile{*kerfwright::profileNameFromText(profileName), hairline};
        if (convert->parsed()) {
            std::vector<std::filesystem::path> inputs(convertInputs.begin(), convertInputs.end());
            std::optional<std::filesystem::path> folder;
            if (convert->count("--output") > 0) folder = outputFolder;
            return kerfwright::cli::convertFiles(inputs, folder, static_cast<std::size_t>(jobs), profile);
        }
        return kerfwright::cli::describeFile(infoInput, infoAsJson, profile);
    } catch (const std::exception& error) {
        std::cerr << "kerfwright-cli: " << error.what() << '\n';
        return kerfwright::cli::kExitFailure;
    }
}
