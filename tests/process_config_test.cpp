// Configuration files, one case per line of cases/config-files.tsv: the
// file's name and JSON, and the material, machine and laser settings read
// from it.

#include "reading/process_config.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "reading/json_document.h"
#include "support/case_file.h"
#include "text/number_text.h"

namespace kerfwright {
namespace {

std::string optionalNumber(const std::optional<double>& value) { return value ? text::shortestRoundTrip(*value) : "-"; }

// "material 'Birch' id - vendor - thickness 3 category -; machine -; settings LaserLineEngrave 0% 0 mm/s 1 air - scan -".
std::string configText(const std::string& fileName, const std::string& json) {
    const auto parsed = json::ParsedJson::parse(json);
    const json::JsonValue root = std::get<json::ParsedJson>(parsed).root();
    std::string out = "material ";
    if (const auto material = ProcessConfig::parseMaterialConfig(root)) {
        out += "'" + material->name + "' id " + testing::quotedOrDash(material->materialId) + " vendor " +
               testing::quotedOrDash(material->vendor) + " thickness " + optionalNumber(material->thicknessMm) + " category " +
               testing::quotedOrDash(material->category);
    } else {
        out += "-";
    }
    out += "; machine " + testing::quotedOrDash(ProcessConfig::parseMachineConfig(root, fileName)) + "; settings";
    for (const auto& [type, s] : ProcessConfig::parseProcessConfig(root)) {
        out += " " + type + " (" + s.processType + ") " + text::shortestRoundTrip(s.maxPowerPercent) + "% " +
               text::shortestRoundTrip(s.speedMmPerSecond) + " mm/s " + std::to_string(s.numberOfPasses) +
               " passes, air " + (s.airAssist ? (*s.airAssist ? "on" : "off") : "-") + ", scan " +
               optionalNumber(s.scanningIntervalMm) + ";";
    }
    return out;
}

TEST(ConfigFiles, Cases) {
    for (const testing::Case& c : testing::readCases("config-files.tsv", 3)) {
        EXPECT_EQ(configText(c.fields[0], c.fields[1]), c.fields[2]) << c.where;
    }
}

}  // namespace
}  // namespace kerfwright
