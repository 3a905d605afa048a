#include "session/staged_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "session/system_error_text.h"
#include "text/number_text.h"

namespace kerfwright {
namespace {

// The process's file mode creation mask, read while the program starts and
// has no other threads: reading it means setting it.
mode_t readUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}
const mode_t kUmask = readUmask();

// The mode of a freshly written output, as any new file gets it, whatever
// mode its temporary was made with.
mode_t outputFileMode() { return 0666 & ~kUmask; }

std::filesystem::path folderOf(const std::filesystem::path& path) {
    const std::filesystem::path parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// Unnamed files and early write-back are Linux's; the WebAssembly build's
// file systems have neither.
#if defined(O_TMPFILE) && defined(SYNC_FILE_RANGE_WRITE) && !defined(__EMSCRIPTEN__)
#define KERFWRIGHT_LINUX_FILES 1
#endif

// A file with no name is named through its entry under /proc; without /proc
// every file is staged under a temporary name.
#ifdef KERFWRIGHT_LINUX_FILES
const bool kCanNameUnnamedFiles = ::access("/proc/self/fd", X_OK) == 0;

// Unnamed files hold a descriptor each until committed; past this many, files
// are staged under a temporary name, so that a project of thousands of
// drawings cannot run the process out of descriptors.
constexpr int kMostUnnamedFiles = 256;
#endif
std::atomic<int> unnamedFiles{0};

// An unnamed file in the folder, or -1 where there is none to be had. Making
// one costs the disk far less than making a named file.
int openUnnamed(const std::filesystem::path& folder) {
#ifdef KERFWRIGHT_LINUX_FILES
    if (!kCanNameUnnamedFiles) return -1;
    if (unnamedFiles.fetch_add(1) >= kMostUnnamedFiles) {
        unnamedFiles.fetch_sub(1);
        return -1;
    }
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) unnamedFiles.fetch_sub(1);
    return fd;
#else
    (void)folder;
    return -1;
#endif
}

void closeUnnamed(int fd) {
    ::close(fd);
    unnamedFiles.fetch_sub(1);
}

// Gives the open file `fd` the name `path`; 0 or an error number, EEXIST
// when something has that name already.
int linkDescriptor(int fd, const std::string& path) {
    const std::string entry = "/proc/self/fd/" + text::integerText(fd);
    return ::linkat(AT_FDCWD, entry.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// Names the open file with a fresh temporary name in the folder, set in
// `temporary`; 0 or an error number.
int linkUnderTemporaryName(int fd, const std::filesystem::path& folder, std::string& temporary) {
    static std::atomic<unsigned> serial{0};
    const std::string prefix = ".kerfwright-" + text::integerText(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = (folder / (prefix + text::integerText(serial.fetch_add(1)))).string();
        const int error = linkDescriptor(fd, candidate);
        if (error == 0) temporary = candidate;
        if (error != EEXIST) return error;
    }
    return EEXIST;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes the text and asks the system to start sending it to the disk; false
// with errno set on failure.
bool fill(int fd, std::string_view text) {
    if (!writeAll(fd, text) || ::fchmod(fd, outputFileMode()) != 0) return false;
#ifdef KERFWRIGHT_LINUX_FILES
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return true;
}

// Waits until the named file's data and size are on the disk; 0 or an error number.
int flushNamed(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

}  // namespace

WriteFailure writeFailure(const std::filesystem::path& path, int error) {
    return WriteFailure{"Could not write \"" + path.string() + "\": " + systemErrorText(error)};
}

WriteFailure folderFailure(const std::filesystem::path& path, int error) {
    return WriteFailure{"Could not make the folder \"" + path.string() + "\": " + systemErrorText(error)};
}

StagedFile::StagedFile(std::filesystem::path target, int unnamed, std::string temporary)
    : target_(std::move(target)), unnamed_(unnamed), temporary_(std::move(temporary)) {}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)),
      unnamed_(std::exchange(other.unnamed_, -1)),
      temporary_(std::exchange(other.temporary_, {})),
      flushError_(other.flushError_) {}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
    if (unnamed_ >= 0) closeUnnamed(std::exchange(unnamed_, -1));
    if (!temporary_.empty()) ::unlink(std::exchange(temporary_, {}).c_str());
}

void StagedFile::flush() {
    if (flushError_) return;
    if (unnamed_ >= 0) {
        flushError_ = ::fsync(unnamed_) == 0 ? 0 : errno;
    } else {
        flushError_ = flushNamed(temporary_);
    }
}

int StagedFile::place() {
    if (unnamed_ >= 0) {
        // Most outputs are new files: those take their name in one step.
        const int error = linkDescriptor(unnamed_, target_.string());
        if (error != EEXIST) return error;
        if (const int linkError = linkUnderTemporaryName(unnamed_, folderOf(target_), temporary_)) return linkError;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return errno;
    temporary_.clear();
    return 0;
}

std::optional<WriteFailure> StagedFile::commit() {
    flush();
    const int error = *flushError_ != 0 ? *flushError_ : place();
    discard();
    if (error != 0) return writeFailure(target_, error);
    return std::nullopt;
}

std::variant<StagedFile, WriteFailure> stageText(const std::filesystem::path& path, std::string_view text) {
    // The system ends a path at a NUL byte, so such a path names another file
    // than the one it shows, possibly another file the user cares about.
    if (path.native().find('\0') != std::string::npos) return writeFailure(path, EINVAL);
    const std::filesystem::path folder = folderOf(path);
    if (const int unnamed = openUnnamed(folder); unnamed >= 0) {
        StagedFile staged(path, unnamed, {});
        if (!fill(unnamed, text)) return writeFailure(path, errno);
        return staged;
    }
    // A short fixed name, so that a target name near the length limit still
    // leaves room for the temporary beside it.
    std::string temporary = (folder / ".kerfwright-XXXXXX").string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return writeFailure(path, errno);
    StagedFile staged(path, -1, temporary);
    const bool filled = fill(fd, text);
    const int fillError = errno;
    const bool closed = ::close(fd) == 0;
    if (!filled || !closed) return writeFailure(path, filled ? errno : fillError);
    return staged;
}

std::optional<WriteFailure> writeTextAtomically(const std::filesystem::path& path, std::string_view text) {
    std::variant<StagedFile, WriteFailure> staged = stageText(path, text);
    if (auto* failure = std::get_if<WriteFailure>(&staged)) return std::move(*failure);
    return std::get<StagedFile>(staged).commit();
}

}  // namespace kerfwright
