#include "text/svg_format.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/case_file.h"
#include "support/formatted.h"

namespace kerfwright {
namespace {

TEST(SVGFormatNum, Cases) {
    for (const testing::Case& c : testing::readCases("number-format.tsv", 3)) {
        const double value = std::strtod(c.fields[0].c_str(), nullptr);
        EXPECT_EQ(testing::num(value, std::stoi(c.fields[1])), c.fields[2]) << c.where;
    }
}

TEST(SVGFormatEscape, Cases) {
    for (const testing::Case& c : testing::readCases("xml-escape.tsv", 2)) {
        EXPECT_EQ(testing::escapedXML(c.fields[0]), c.fields[1]) << c.where;
    }
}

TEST(SVGFormat, AppendsToTheBuffer) {
    std::string out = "M ";
    SVGFormat::appendNum(out, 10.00001, 4);
    out += ' ';
    SVGFormat::appendNum(out, -0.00004, 4);
    out += " data-name=\"";
    SVGFormat::appendEscapedXML(out, "R&D");
    EXPECT_EQ(out, "M 10 0 data-name=\"R&amp;D");
}

}  // namespace
}  // namespace kerfwright
