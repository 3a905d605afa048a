#include "reading/json_document.h"

#include <charconv>
#include <cmath>
#include <new>

#include "values/huge_pages.h"

namespace kerfwright::json {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr double twoToThe63 = 9223372036854775808.0;

struct RewrittenText {
    std::string text;
    NumberFaults faults;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isNumberCharacter(char c) {
    return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

std::size_t skipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at])) ++at;
    return at;
}

// The number grammar of JSON: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view token) {
    std::size_t at = token.starts_with('-') ? 1 : 0;
    if (at == token.size() || !isDigit(token[at])) return false;
    at = token[at] == '0' ? at + 1 : skipDigits(token, at);
    if (at < token.size() && token[at] == '.') {
        const std::size_t fractionEnd = skipDigits(token, at + 1);
        if (fractionEnd == at + 1) return false;
        at = fractionEnd;
    }
    if (at < token.size() && (token[at] == 'e' || token[at] == 'E')) {
        ++at;
        if (at < token.size() && (token[at] == '+' || token[at] == '-')) ++at;
        const std::size_t exponentEnd = skipDigits(token, at);
        if (exponentEnd == at) return false;
        at = exponentEnd;
    }
    return at == token.size();
}

template <typename Integer>
bool parsesWhollyAs(std::string_view token) {
    Integer value{};
    const auto result = std::from_chars(token.data(), token.data() + token.size(), value);
    return result.ec == std::errc{} && result.ptr == token.data() + token.size();
}

bool parsesAlone(std::string_view token, simdjson::dom::parser& probe) {
    element ignored;
    return probe.parse(token.data(), token.size()).get(ignored) == simdjson::SUCCESS;
}

// What a number literal the parser refuses is rewritten to, if anything.
std::optional<std::pair<std::string, NumberFault>> replacementFor(std::string_view token,
                                                                  simdjson::dom::parser& probe) {
    if (!isJsonNumber(token)) return std::nullopt;
    const bool integral = token.find_first_of(".eE") == std::string_view::npos;
    if (integral) {
        if (parsesWhollyAs<std::int64_t>(token) || parsesWhollyAs<std::uint64_t>(token)) return std::nullopt;
        // The same value written as a fraction reaches the float parser, which rounds it.
        std::string asFloat = std::string(token) + ".0";
        if (parsesAlone(asFloat, probe)) return std::pair{std::move(asFloat), NumberFault::beyondIntegerRange};
        return std::pair{std::string("0.0"), NumberFault::beyondFloatRange};
    }
    if (parsesAlone(token, probe)) return std::nullopt;
    return std::pair{std::string("0.0"), NumberFault::beyondFloatRange};
}

// Copies the text with each refused number literal replaced; the position
// count runs over every number literal outside strings, in text order, which
// is the order in which a walk of the parsed values meets the numbers.
RewrittenText rewriteUnparsableNumbers(std::string_view text) {
    RewrittenText out;
    out.text.reserve(text.size() + 16);
    simdjson::dom::parser probe;
    std::size_t numberPosition = 0;
    bool inString = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (inString) {
            const std::size_t length = (c == '\\' && at + 1 < text.size()) ? 2 : 1;
            out.text += text.substr(at, length);
            inString = c != '"';
            at += length;
        } else if (c == '-' || isDigit(c)) {
            std::size_t end = at;
            while (end < text.size() && isNumberCharacter(text[end])) ++end;
            const std::string_view token = text.substr(at, end - at);
            if (auto replacement = replacementFor(token, probe)) {
                out.text += replacement->first;
                out.faults.emplace(numberPosition, replacement->second);
            } else {
                out.text += token;
            }
            ++numberPosition;
            at = end;
        } else {
            out.text += c;
            inString = c == '"';
            ++at;
        }
    }
    return out;
}

std::size_t numberCount(const element& value) {
    switch (value.type()) {
        case element_type::INT64:
        case element_type::UINT64:
        case element_type::DOUBLE:
            return 1;
        case element_type::ARRAY: {
            std::size_t count = 0;
            for (const element child : simdjson::dom::array(value)) count += numberCount(child);
            return count;
        }
        case element_type::OBJECT: {
            std::size_t count = 0;
            for (const auto field : simdjson::dom::object(value)) count += numberCount(field.value);
            return count;
        }
        default:
            return 0;
    }
}

// Positions only matter when some number was rewritten; otherwise counting is skipped.
bool tracksPositions(const JsonValue& value) { return value.faults != nullptr && !value.faults->empty(); }

bool holdsNumber(const JsonValue& value) {
    const element_type type = value.element.type();
    return type == element_type::INT64 || type == element_type::UINT64 || type == element_type::DOUBLE;
}

// Only a number has a position of its own; anything else shares it with the next number.
std::optional<NumberFault> faultOf(const JsonValue& value) {
    if (!tracksPositions(value) || !holdsNumber(value)) return std::nullopt;
    const auto found = value.faults->find(value.numberPosition);
    if (found == value.faults->end()) return std::nullopt;
    return found->second;
}

// Room for the parsed values of a text of `length` bytes, as the parser
// would make it, with the large buffers on huge pages. A failure is left to
// the parser, which then tries again and reports it.
void allocateWithHugePages(simdjson::dom::document& document, std::size_t length) {
    if (document.allocate(length) != simdjson::SUCCESS) return;
    preferHugePages(document.tape.get(), (length + 3) * sizeof(std::uint64_t));
    preferHugePages(document.string_buf.get(), 5 * length / 3);
}

// Parses `text` from `start` into `document` without copying it: the parser's
// vector loads may read past the end, so the text gets that much zeroed room
// first. The parser, with its index of the whole text, is gone on return.
// Memory the parser could not get is thrown as any other allocation's
// failure is, not reported as a fault of the text.
simdjson::error_code parseInPlace(std::string& text, std::size_t start, simdjson::dom::document& document,
                                  element& root) {
    const std::size_t length = text.size() - start;
    text.resize(text.size() + simdjson::SIMDJSON_PADDING, '\0');
    simdjson::dom::parser parser;
    allocateWithHugePages(document, length);
    const auto error = parser.parse_into_document(document, text.data() + start, length, false).get(root);
    text.resize(start + length);
    if (error == simdjson::MEMALLOC) throw std::bad_alloc();
    return error;
}

bool isWholeInIntegerRange(double value) {
    return std::trunc(value) == value && value >= -twoToThe63 && value < twoToThe63;
}

}  // namespace

std::variant<ParsedJson, std::string> ParsedJson::parse(std::string text) {
    const std::size_t start = std::string_view(text).starts_with(utf8ByteOrderMark) ? utf8ByteOrderMark.size() : 0;
    auto document = std::make_unique<simdjson::dom::document>();
    element root;
    const auto error = parseInPlace(text, start, *document, root);
    if (error == simdjson::SUCCESS) return ParsedJson(std::move(document), root, std::make_unique<NumberFaults>());
    if (error != simdjson::NUMBER_ERROR) return std::string(simdjson::error_message(error));

    RewrittenText rewritten = rewriteUnparsableNumbers(std::string_view(text).substr(start));
    if (rewritten.faults.empty()) return std::string(simdjson::error_message(error));
    std::string().swap(text);
    const auto retryError = parseInPlace(rewritten.text, 0, *document, root);
    if (retryError != simdjson::SUCCESS) return std::string(simdjson::error_message(retryError));
    return ParsedJson(std::move(document), root, std::make_unique<NumberFaults>(std::move(rewritten.faults)));
}

bool isNull(const JsonValue& value) { return value.element.type() == element_type::NULL_VALUE; }
bool isObject(const JsonValue& value) { return value.element.type() == element_type::OBJECT; }
bool isArray(const JsonValue& value) { return value.element.type() == element_type::ARRAY; }

bool isNumber(const JsonValue& value) { return holdsNumber(value); }

std::optional<std::string> stringValue(const JsonValue& value) {
    if (value.element.type() != element_type::STRING) return std::nullopt;
    return std::string(std::string_view(value.element));
}

std::optional<bool> booleanValue(const JsonValue& value) {
    if (value.element.type() != element_type::BOOL) return std::nullopt;
    return bool(value.element);
}

std::optional<double> numberValue(const JsonValue& value) {
    if (faultOf(value) == NumberFault::beyondFloatRange) return std::nullopt;
    switch (value.element.type()) {
        case element_type::INT64:
            return static_cast<double>(std::int64_t(value.element));
        case element_type::UINT64:
            return static_cast<double>(std::uint64_t(value.element));
        case element_type::DOUBLE:
            return double(value.element);
        default:
            return std::nullopt;
    }
}

std::optional<std::int64_t> exactInteger(const JsonValue& value) {
    if (faultOf(value)) return std::nullopt;
    switch (value.element.type()) {
        case element_type::INT64:
            return std::int64_t(value.element);
        case element_type::DOUBLE: {
            const double number = double(value.element);
            if (!isWholeInIntegerRange(number)) return std::nullopt;
            return static_cast<std::int64_t>(number);
        }
        default:  // an unsigned value here is always above the signed range
            return std::nullopt;
    }
}

std::optional<std::int64_t> truncatedInteger(const JsonValue& value) {
    if (faultOf(value)) return std::nullopt;
    switch (value.element.type()) {
        case element_type::INT64:
            return std::int64_t(value.element);
        case element_type::DOUBLE: {
            const double truncated = std::trunc(double(value.element));
            if (!isWholeInIntegerRange(truncated)) return std::nullopt;
            return static_cast<std::int64_t>(truncated);
        }
        default:
            return std::nullopt;
    }
}

std::vector<std::pair<std::string_view, JsonValue>> members(const JsonValue& object) {
    std::vector<std::pair<std::string_view, JsonValue>> result;
    if (!isObject(object)) return result;
    const simdjson::dom::object fields(object.element);
    result.reserve(fields.size());  // the count the tape keeps: one allocation, not one per doubling
    std::size_t position = object.numberPosition;
    for (const auto field : fields) {
        result.emplace_back(field.key, JsonValue{field.value, position, object.faults});
        if (tracksPositions(object)) position += numberCount(field.value);
    }
    return result;
}

LastMembers lastMembers(const JsonValue& object) { return LastMembers(members(object)); }

std::size_t elementCount(const JsonValue& array) {
    if (!isArray(array)) return 0;
    std::size_t count = 0;
    for ([[maybe_unused]] const element child : simdjson::dom::array(array.element)) ++count;
    return count;
}

void forEachElement(const JsonValue& array, const std::function<void(const JsonValue&)>& visit) {
    if (!isArray(array)) return;
    std::size_t position = array.numberPosition;
    for (const element child : simdjson::dom::array(array.element)) {
        visit(JsonValue{child, position, array.faults});
        if (tracksPositions(array)) position += numberCount(child);
    }
}

}  // namespace kerfwright::json
