#include "support/case_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kerfwright::testing {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string unescaped(const std::string& field, const std::string& where) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char code = field[++i];
        switch (code) {
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            case 'x': {
                const int high = i + 1 < field.size() ? hexValue(field[i + 1]) : -1;
                const int low = i + 2 < field.size() ? hexValue(field[i + 2]) : -1;
                if (high < 0 || low < 0) ADD_FAILURE() << where << ": \\x needs two hexadecimal digits";
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default: ADD_FAILURE() << where << ": unknown escape \\" << code;
        }
    }
    return out;
}

std::string escaped(const std::string& text) {
    static const char* const digits = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') out += "\\\\";
        else if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7f) out += {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
        else out += c;
    }
    return out;
}

std::string replacedAll(std::string text, std::string_view from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<Case> readCases(const std::string& name, std::size_t fieldCount) {
    const std::string path = std::string(KERFWRIGHT_SOURCE_DIR) + "/tests/cases/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) ADD_FAILURE() << "cannot read " << path;
    std::vector<Case> cases;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line.front() == '#') continue;
        Case c{name + ":" + std::to_string(number), {}};
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) c.fields.push_back(unescaped(field, c.where));
        if (line.back() == '\t') c.fields.emplace_back();
        if (c.fields.size() != fieldCount) {
            ADD_FAILURE() << c.where << ": " << c.fields.size() << " fields, not " << fieldCount;
            continue;
        }
        cases.push_back(std::move(c));
    }
    if (cases.empty()) ADD_FAILURE() << path << " holds no case";
    return cases;
}

}  // namespace kerfwright::testing
