#pragma once
// Output files written so that a crash never leaves a partly written file
// under a final name: the text goes to a file beside the target, with no name
// where the file system allows it, is flushed to the disk, and only then
// takes the target's name, in one step.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kerfwright {

struct WriteFailure {
    std::string description;  // names the path
};

// "Could not write "PATH": " and the description of the C library's error number.
WriteFailure writeFailure(const std::filesystem::path& path, int error);

// "Could not make the folder "PATH": " and the description of the error number.
WriteFailure folderFailure(const std::filesystem::path& path, int error);

// Text written beside its target but not yet in place. Committing makes it
// durable and moves it over the target; a staged file dropped uncommitted
// leaves nothing behind.
class StagedFile {
public:
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    ~StagedFile();

    const std::filesystem::path& target() const { return target_; }

    // Waits until the text is on the disk. Flushing many staged files before
    // committing any lets the disk take them in one go; a failure is kept
    // for the commit to report.
    void flush();

    // Flushes the text unless that was done, and gives it the target's name;
    // on failure an earlier file of that name stays as it was.
    std::optional<WriteFailure> commit();

private:
    friend std::variant<StagedFile, WriteFailure> stageText(const std::filesystem::path& path, std::string_view text);
    StagedFile(std::filesystem::path target, int unnamed, std::string temporary);

    int place();  // names the flushed file; 0 or an error number
    void discard();

    std::filesystem::path target_;
    int unnamed_ = -1;               // the open file, while it has no name
    std::string temporary_;          // or its temporary name
    std::optional<int> flushError_;  // the flush's error number, 0 when it went well
};

// Writes UTF-8 text beside `path` and starts sending it to the disk, so that
// a commit soon after has little left to wait for.
std::variant<StagedFile, WriteFailure> stageText(const std::filesystem::path& path, std::string_view text);

// Stages the text and commits it at once.
std::optional<WriteFailure> writeTextAtomically(const std::filesystem::path& path, std::string_view text);

}  // namespace kerfwright
