#pragma once
// A small JSON value with a writer, for composing project files. Objects keep
// their keys in the order given, so archives come out the same every time.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace lacgen {

class JsonValue {
public:
    using Array = std::vector<JsonValue>;
    using Member = std::pair<std::string, JsonValue>;
    using Object = std::vector<Member>;

    JsonValue() : value_(nullptr) {}
    JsonValue(std::nullptr_t) : value_(nullptr) {}
    JsonValue(bool b) : value_(b) {}
    JsonValue(int i) : value_(static_cast<std::int64_t>(i)) {}
    JsonValue(std::int64_t i) : value_(i) {}
    JsonValue(double d) : value_(d) {}
    JsonValue(const char* s) : value_(std::string(s)) {}
    JsonValue(std::string s) : value_(std::move(s)) {}
    JsonValue(Array a) : value_(std::move(a)) {}
    JsonValue(Object o) : value_(std::move(o)) {}

    static JsonValue object(std::initializer_list<Member> members) { return JsonValue(Object(members)); }
    static JsonValue array(std::initializer_list<JsonValue> items) { return JsonValue(Array(items)); }

    // Adds or replaces nothing: appends, so a test can write duplicate keys.
    JsonValue& add(std::string key, JsonValue value);
    JsonValue& push(JsonValue value);

    std::string dump() const;

private:
    void write(std::string& out) const;

    std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, Array, Object> value_;
};

}  // namespace lacgen
