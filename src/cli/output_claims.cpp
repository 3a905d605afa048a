#include "output_claims.h"

#include <system_error>

namespace kerfwright::cli {
namespace {

// One name for one file however the folder was written ("out", "./out", a
// link to it), so that two inputs reaching the same file are seen to.
std::string fileKey(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::weakly_canonical(path.parent_path().empty() ? "." : path.parent_path(), error);
    if (error) return std::filesystem::absolute(path, error).lexically_normal().string();
    return (folder / path.filename()).string();
}

}  // namespace

std::optional<WriteFailure> OutputClaims::write(const std::filesystem::path& path, std::size_t input,
                                                std::string_view text) {
    const std::string key = fileKey(path);
    {
        std::unique_lock lock(mutex_);
        FileState& file = files_[key];
        writeEnded_.wait(lock, [&] { return !file.writing; });
        if (file.writtenBy && *file.writtenBy > input) return std::nullopt;
        file.writing = true;
    }
    std::optional<WriteFailure> failure = writeTextAtomically(path, text);
    {
        const std::lock_guard lock(mutex_);
        FileState& file = files_[key];
        file.writing = false;
        if (!failure) file.writtenBy = input;
    }
    writeEnded_.notify_all();
    return failure;
}

}  // namespace kerfwright::cli
