#pragma once
// Output files of several inputs written at once. Two inputs may write a file
// of the same name into one folder; the one later in the input order must be
// the one left there, as when the inputs are converted one after the other.

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "session/save_outputs.h"

namespace kerfwright::cli {

class OutputClaims {
public:
    // Writes the text through writeTextAtomically for input number `input`,
    // unless a later input has already written that file: then its file
    // stays and this write counts as done, since it would have been replaced
    // anyway. Writes of one file never overlap.
    std::optional<WriteFailure> write(const std::filesystem::path& path, std::size_t input, std::string_view text);

private:
    struct FileState {
        bool writing = false;
        std::optional<std::size_t> writtenBy;  // the latest input whose write succeeded
    };

    std::mutex mutex_;
    std::condition_variable writeEnded_;
    std::map<std::string, FileState> files_;  // by the file's path with its folder resolved
};

}  // namespace kerfwright::cli
