#include "text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "support/case_file.h"

namespace kerfwright::text {
namespace {

namespace testing = kerfwright::testing;

std::string printfG(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string appendedG(double value) {
    std::string out = "x";
    appendPrintfG(out, value);
    return out.substr(1);
}

// What one function of number text gives for the input of a case.
std::string outcome(const std::string& function, const std::string& input) {
    if (function == "read") {
        const std::optional<double> value = parseNumberToken(input);
        return value ? shortestRoundTrip(*value) : "rejected";
    }
    const double value = std::strtod(input.c_str(), nullptr);
    if (function == "g") {
        const std::string ours = appendedG(value);
        EXPECT_EQ(ours, std::isnan(value) ? "nan" : printfG(value)) << "printf's own %g of " << input;
        return ours;
    }
    return function == "describe" ? describeNumber(value) : shortestRoundTrip(value);
}

TEST(NumberText, Cases) {
    for (const testing::Case& c : testing::readCases("number-text.tsv", 3)) {
        EXPECT_EQ(outcome(c.fields[0], c.fields[1]), c.fields[2]) << c.where;
        // The shortest text reads back as the very value.
        const double value = std::strtod(c.fields[1].c_str(), nullptr);
        if (c.fields[0] == "shortest" && !std::isnan(value)) {
            EXPECT_EQ(parseNumberToken(c.fields[2]), value) << c.where;
        }
    }
}

}  // namespace
}  // namespace kerfwright::text
