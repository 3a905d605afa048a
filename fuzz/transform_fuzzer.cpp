// Transform texts of any kind parse to a transform or an error that keeps the
// whole text.

#include <string_view>
#include <variant>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "values/transform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = kerfwright::Transform2D::parse(text);
    if (const auto* error = std::get_if<kerfwright::Transform2D::ParseError>(&parsed)) {
        kerfwright::fuzzing::require(error->text == text, "the error keeps the whole text");
        return 0;
    }
    const kerfwright::Transform2D& transform = std::get<kerfwright::Transform2D>(parsed);
    (void)transform.multiplied(transform).apply(1, 1);
    return 0;
}
