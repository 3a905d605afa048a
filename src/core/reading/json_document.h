#pragma once
// A parsed JSON text, read through small views that tell integers, floating
// point numbers, booleans, strings, null, arrays and objects apart.
//
// The parser underneath rejects a whole text for a single number it cannot
// hold in 64 bits (an integer beyond the 64-bit range, or a magnitude beyond
// the 64-bit float range), although such a text is valid JSON. Those numbers
// are rewritten before parsing and remembered by their position among all
// numbers of the text, so that a reader still learns that the value it looks
// at does not fit, while the same number under a key nobody reads is harmless.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <simdjson.h>

namespace kerfwright::json {

enum class NumberFault {
    beyondIntegerRange,  // an integer literal outside 64 bits; the view holds its nearest double
    beyondFloatRange,    // a magnitude no 64-bit float holds; the view holds no usable value
};

using NumberFaults = std::map<std::size_t, NumberFault>;  // by position among the text's numbers

// A view of one value; valid while the ParsedJson it came from lives.
struct JsonValue {
    simdjson::dom::element element;
    std::size_t numberPosition = 0;  // how many numbers of the text come before this value
    const NumberFaults* faults = nullptr;
};

class ParsedJson {
public:
    // The parser's own message when the text is not valid JSON. A leading
    // UTF-8 byte-order mark is skipped. The text is taken over and read in
    // place, then released before this returns: only the parsed values stay,
    // so a large file is never held twice over.
    static std::variant<ParsedJson, std::string> parse(std::string text);

    JsonValue root() const { return {root_, 0, faults_.get()}; }

private:
    ParsedJson(std::unique_ptr<simdjson::dom::document> document, simdjson::dom::element root,
               std::unique_ptr<NumberFaults> faults)
        : document_(std::move(document)), root_(root), faults_(std::move(faults)) {}

    // Only the parsed values: the parser's working index is gone with it.
    std::unique_ptr<simdjson::dom::document> document_;
    simdjson::dom::element root_;
    std::unique_ptr<NumberFaults> faults_;
};

bool isNull(const JsonValue& value);
bool isObject(const JsonValue& value);
bool isArray(const JsonValue& value);
bool isNumber(const JsonValue& value);

std::optional<std::string> stringValue(const JsonValue& value);
std::optional<bool> booleanValue(const JsonValue& value);
// Any number that a 64-bit float holds (integers beyond 64 bits are rounded);
// nothing for other values and for magnitudes beyond the float range.
std::optional<double> numberValue(const JsonValue& value);
// A number whose value is whole and within the 64-bit signed range.
std::optional<std::int64_t> exactInteger(const JsonValue& value);
// A number truncated toward zero; nothing when that is beyond the 64-bit
// signed range or the value is no number.
std::optional<std::int64_t> truncatedInteger(const JsonValue& value);

// An object's members in stored order, repeated keys included.
std::vector<std::pair<std::string_view, JsonValue>> members(const JsonValue& object);

// An object's members where a repeated key holds its last value. Kept in
// stored order and looked up from the end: a record has a handful of members,
// and a list beats a tree of them, built for every record, by far.
class LastMembers {
public:
    explicit LastMembers(std::vector<std::pair<std::string_view, JsonValue>> stored) : stored_(std::move(stored)) {}

    // The key's last value, or null when the object has no such key.
    const JsonValue* find(std::string_view key) const {
        for (auto member = stored_.rbegin(); member != stored_.rend(); ++member) {
            if (member->first == key) return &member->second;
        }
        return nullptr;
    }
    bool contains(std::string_view key) const { return find(key) != nullptr; }

    // Each key once, in key order, with its last value, pointing into these
    // members: they must outlive the map.
    std::map<std::string_view, const JsonValue*> byKey() const {
        std::map<std::string_view, const JsonValue*> last;
        for (const auto& [key, value] : stored_) last.insert_or_assign(key, &value);
        return last;
    }

private:
    std::vector<std::pair<std::string_view, JsonValue>> stored_;
};
LastMembers lastMembers(const JsonValue& object);
// An array's length (0 for any other value).
std::size_t elementCount(const JsonValue& array);
// Each element of an array in turn (none for any other value). A long array
// is walked in place rather than gathered into a list of views first.
void forEachElement(const JsonValue& array, const std::function<void(const JsonValue&)>& visit);

}  // namespace kerfwright::json
