#include "text/json_text.h"

#include <cmath>
#include <utility>

#include "text/number_text.h"

namespace kerfwright::text {

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                } else {
                    out += c;
                }
            }
        }
    }
    out += '"';
}

}  // namespace kerfwright::text

namespace kerfwright::text {

std::string jsonString(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

void JsonObject::key(std::string_view name) {
    if (out_.size() > 1) out_ += ',';
    appendJsonString(out_, name);
    out_ += ':';
}

JsonObject& JsonObject::text(std::string_view name, std::string_view value) {
    key(name);
    appendJsonString(out_, value);
    return *this;
}

JsonObject& JsonObject::optionalText(std::string_view name, const std::optional<std::string>& value) {
    return value ? text(name, *value) : raw(name, "null");
}

JsonObject& JsonObject::integer(std::string_view name, std::int64_t value) {
    key(name);
    appendInteger(out_, value);
    return *this;
}

JsonObject& JsonObject::number(std::string_view name, double value) {
    return raw(name, std::isfinite(value) ? shortestRoundTrip(value) : "null");
}

JsonObject& JsonObject::boolean(std::string_view name, bool value) { return raw(name, value ? "true" : "false"); }

JsonObject& JsonObject::raw(std::string_view name, std::string_view json) {
    key(name);
    out_ += json;
    return *this;
}

std::string JsonObject::done() { return std::move(out_) + '}'; }

}  // namespace kerfwright::text
