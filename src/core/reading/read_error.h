#pragma once
// The one error that stops a load.

#include <stdexcept>
#include <string>

namespace kerfwright {

class LACReadError : public std::exception {
public:
    enum class Kind { openFailed, missingEntry, decodeFailed, extractFailed };

    static LACReadError openFailed(std::string filePath, std::string underlying);
    static LACReadError missingEntry(std::string entry);
    static LACReadError decodeFailed(std::string entry, std::string underlying);
    static LACReadError extractFailed(std::string entry, std::string underlying);

    Kind kind() const { return kind_; }
    // The archive's file path for openFailed, the entry path otherwise.
    const std::string& subject() const { return subject_; }
    const std::string& underlying() const { return underlying_; }
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    LACReadError(Kind kind, std::string subject, std::string underlying);

    Kind kind_;
    std::string subject_;
    std::string underlying_;
    std::string description_;
};

}  // namespace kerfwright
