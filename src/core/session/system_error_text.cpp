#include "session/system_error_text.h"

#include <cerrno>
#include <system_error>

namespace kerfwright {
namespace {

struct ErrorText {
    int error;
    const char* text;
};

// Every error that opening, writing, flushing, renaming or removing a file
// or making a folder can give, as the GNU C library describes it.
constexpr ErrorText kErrorTexts[] = {
    {EPERM, "Operation not permitted"},
    {ENOENT, "No such file or directory"},
    {EINTR, "Interrupted system call"},
    {EIO, "Input/output error"},
    {ENXIO, "No such device or address"},
    {EBADF, "Bad file descriptor"},
    {EAGAIN, "Resource temporarily unavailable"},
    {ENOMEM, "Cannot allocate memory"},
    {EACCES, "Permission denied"},
    {EFAULT, "Bad address"},
    {EBUSY, "Device or resource busy"},
    {EEXIST, "File exists"},
    {EXDEV, "Invalid cross-device link"},
    {ENOTDIR, "Not a directory"},
    {EISDIR, "Is a directory"},
    {EINVAL, "Invalid argument"},
    {ENFILE, "Too many open files in system"},
    {EMFILE, "Too many open files"},
    {ETXTBSY, "Text file busy"},
    {EFBIG, "File too large"},
    {ENOSPC, "No space left on device"},
    {EROFS, "Read-only file system"},
    {EMLINK, "Too many links"},
    {ENAMETOOLONG, "File name too long"},
    {ENOSYS, "Function not implemented"},
    {ENOTEMPTY, "Directory not empty"},
    {ELOOP, "Too many levels of symbolic links"},
    {EOVERFLOW, "Value too large for defined data type"},
    {EOPNOTSUPP, "Operation not supported"},
    {ESTALE, "Stale file handle"},
    {EDQUOT, "Disk quota exceeded"},
};

}  // namespace

std::string systemErrorText(int error) {
    for (const ErrorText& known : kErrorTexts) {
        if (known.error == error) return known.text;
    }
    return std::generic_category().message(error);
}

}  // namespace kerfwright
