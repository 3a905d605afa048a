// The Unicode helpers, one case per line of cases/unicode.tsv.

#include "text/unicode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/case_file.h"

namespace kerfwright::text {
namespace {

std::string hex(char32_t codePoint) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(codePoint));
    return text;
}

std::string outcome(const std::string& function, const std::string& text, std::size_t position) {
    if (function == "decode") {
        const DecodedCodePoint decoded = decodeUtf8(text, position);
        return hex(decoded.value) + " " + std::to_string(decoded.length);
    }
    if (function == "grapheme") {
        const Grapheme character = graphemeAt(text, position);
        EXPECT_EQ(graphemeEnd(text, position), position + character.text.size());
        return std::to_string(position + character.text.size()) + " " + hex(character.firstCodePoint);
    }
    const auto codePoint = static_cast<char32_t>(std::stoul(text, nullptr, 16));
    if (function == "encode") {
        std::string bytes = "x";
        appendUtf8(bytes, codePoint);
        const DecodedCodePoint decoded = decodeUtf8(bytes, 1);
        return decoded.length == bytes.size() - 1 ? hex(decoded.value) : "wrong length";
    }
    const bool has = function == "letter" ? isLetter(codePoint) : function == "number" ? isNumber(codePoint)
                                                                                         : isWhitespace(codePoint);
    return has ? "yes" : "no";
}

TEST(Unicode, Cases) {
    for (const kerfwright::testing::Case& c : kerfwright::testing::readCases("unicode.tsv", 4)) {
        EXPECT_EQ(outcome(c.fields[0], c.fields[1], std::stoul(c.fields[2])), c.fields[3]) << c.where;
    }
}

}  // namespace
}  // namespace kerfwright::text
