#pragma once
// Writing JSON text: string literals with the escapes JSON requires, and
// objects and arrays built member by member in the order written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kerfwright::text {

// Appends the text as a JSON string literal; control characters are escaped,
// everything else (UTF-8 included) is copied as it is.
void appendJsonString(std::string& out, std::string_view text);

// The text as a JSON string literal.
std::string jsonString(std::string_view text);

// Builds one JSON object, member by member, in the order written.
class JsonObject {
public:
    JsonObject& text(std::string_view name, std::string_view value);
    // null when absent.
    JsonObject& optionalText(std::string_view name, const std::optional<std::string>& value);
    JsonObject& integer(std::string_view name, std::int64_t value);
    // The shortest text that reads back as the same value; JSON has no
    // infinities or NaN, so a value that is not finite is written as null.
    JsonObject& number(std::string_view name, double value);
    JsonObject& boolean(std::string_view name, bool value);
    // A value already written as JSON.
    JsonObject& raw(std::string_view name, std::string_view json);
    // The object's text; the builder is spent.
    std::string done();

private:
    void key(std::string_view name);
    std::string out_ = "{";
};

// A JSON array of the items, each written by `write` as JSON text.
template <typename Items, typename Write>
std::string jsonArray(const Items& items, Write write) {
    std::string out = "[";
    for (const auto& item : items) {
        if (out.size() > 1) out += ',';
        out += write(item);
    }
    return out + ']';
}

}  // namespace kerfwright::text
