#pragma once
// Writing JSON text: a string literal with the escapes JSON requires.

#include <string>
#include <string_view>

namespace kerfwright::text {

// Appends the text as a JSON string literal; control characters are escaped,
// everything else (UTF-8 included) is copied as it is.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace kerfwright::text
