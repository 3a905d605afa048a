// The Base64 text of embedded images, one case per line of cases/base64.tsv;
// whole image elements are in the golden conversions (cases/drawings/).

#include "text/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_file.h"

namespace kerfwright {
namespace {

TEST(Base64, Cases) {
    for (const testing::Case& c : testing::readCases("base64.tsv", 2)) {
        std::string out;
        text::appendBase64(out, c.fields[0]);
        EXPECT_EQ(out, c.fields[1]) << c.where;
        EXPECT_EQ(out.size(), text::base64Length(c.fields[0].size())) << c.where;
    }
}

}  // namespace
}  // namespace kerfwright
