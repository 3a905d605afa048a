#include "json_value.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "text/json_text.h"

namespace lacgen {
namespace {

void writeDouble(std::string& out, double d) {
    if (!std::isfinite(d)) throw std::invalid_argument("JSON has no infinities or NaN");
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
    std::string text(buffer, end);
    // Keep a double recognisably fractional-or-float in the file: 3.0, not 3.
    if (text.find_first_of(".eE") == std::string::npos) text += ".0";
    out += text;
}

}  // namespace

JsonValue& JsonValue::add(std::string key, JsonValue value) {
    std::get<Object>(value_).emplace_back(std::move(key), std::move(value));
    return *this;
}

JsonValue& JsonValue::push(JsonValue value) {
    std::get<Array>(value_).push_back(std::move(value));
    return *this;
}

std::string JsonValue::dump() const {
    std::string out;
    write(out);
    return out;
}

void JsonValue::write(std::string& out) const {
    if (std::holds_alternative<std::nullptr_t>(value_)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&value_)) {
        out += *b ? "true" : "false";
    } else if (const std::int64_t* i = std::get_if<std::int64_t>(&value_)) {
        char buffer[24];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *i);
        out.append(buffer, end);
    } else if (const double* d = std::get_if<double>(&value_)) {
        writeDouble(out, *d);
    } else if (const std::string* s = std::get_if<std::string>(&value_)) {
        kerfwright::text::appendJsonString(out, *s);
    } else if (const Array* a = std::get_if<Array>(&value_)) {
        out += '[';
        for (std::size_t i = 0; i < a->size(); ++i) {
            if (i > 0) out += ',';
            (*a)[i].write(out);
        }
        out += ']';
    } else {
        const Object& o = std::get<Object>(value_);
        out += '{';
        for (std::size_t i = 0; i < o.size(); ++i) {
            if (i > 0) out += ',';
            kerfwright::text::appendJsonString(out, o[i].first);
            out += ':';
            o[i].second.write(out);
        }
        out += '}';
    }
}

}  // namespace lacgen
