#include "reading/read_error.h"

#include <utility>

namespace kerfwright {

namespace {

std::string describe(LACReadError::Kind kind, const std::string& subject, const std::string& underlying) {
    switch (kind) {
        case LACReadError::Kind::openFailed:
            return "Could not open .lac archive at " + subject + ": " + underlying;
        case LACReadError::Kind::missingEntry:
            return "Missing required entry in .lac archive: " + subject;
        case LACReadError::Kind::decodeFailed:
            return "Failed to decode " + subject + ": " + underlying;
        case LACReadError::Kind::extractFailed:
            return "Failed to extract " + subject + " from archive: " + underlying;
    }
    return {};
}

}  // namespace

LACReadError::LACReadError(Kind kind, std::string subject, std::string underlying)
    : kind_(kind),
      subject_(std::move(subject)),
      underlying_(std::move(underlying)),
      description_(describe(kind_, subject_, underlying_)) {}

LACReadError LACReadError::openFailed(std::string filePath, std::string underlying) {
    return LACReadError(Kind::openFailed, std::move(filePath), std::move(underlying));
}

LACReadError LACReadError::missingEntry(std::string entry) {
    return LACReadError(Kind::missingEntry, std::move(entry), {});
}

LACReadError LACReadError::decodeFailed(std::string entry, std::string underlying) {
    return LACReadError(Kind::decodeFailed, std::move(entry), std::move(underlying));
}

LACReadError LACReadError::extractFailed(std::string entry, std::string underlying) {
    return LACReadError(Kind::extractFailed, std::move(entry), std::move(underlying));
}

}  // namespace kerfwright
