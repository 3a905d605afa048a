#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "reading/json_document.h"
#include "reading/process_config.h"

namespace kerfwright {
namespace {

// Keeps the parsed text alive while the parsers look at it.
struct ConfigFile {
    explicit ConfigFile(const std::string& text) : parsed(std::get<json::ParsedJson>(json::ParsedJson::parse(text))) {}
    json::JsonValue root() const { return parsed.root(); }
    json::ParsedJson parsed;
};

std::optional<LACMaterialInfo> material(const std::string& text) {
    return ProcessConfig::parseMaterialConfig(ConfigFile(text).root());
}

std::optional<std::string> machine(const std::string& text, std::string_view fileName = "x.config") {
    return ProcessConfig::parseMachineConfig(ConfigFile(text).root(), fileName);
}

LACLaserSettings onlySettings(const std::string& processEntry) {
    const auto settings = ProcessConfig::parseProcessConfig(ConfigFile(R"({"LaserLineEngrave":)" + processEntry + "}").root());
    EXPECT_EQ(settings.size(), 1u);
    return settings.empty() ? LACLaserSettings{} : settings.begin()->second;
}

TEST(ProcessConfigTest, EmptyObjectIsOnlyAMachineFile) {
    EXPECT_FALSE(material("{}"));
    EXPECT_TRUE(ProcessConfig::parseProcessConfig(ConfigFile("{}").root()).empty());
    EXPECT_EQ(machine("{}", "My Laser.config"), "My Laser");
    EXPECT_EQ(machine("{}", ".config"), "");
    EXPECT_FALSE(machine("{}", "x.json"));
}

TEST(ProcessConfigTest, NullMaterialIdStillMakesAMaterialFile) {
    const std::string text = R"({"name":"Birch","material_id":null})";
    const auto info = material(text);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "Birch");
    EXPECT_FALSE(info->materialId);
    EXPECT_FALSE(machine(text));
}

TEST(ProcessConfigTest, NonTextNameGivesNoMaterialButMayBeMachine) {
    EXPECT_FALSE(material(R"({"name":5,"material_id":"m"})"));
    EXPECT_FALSE(material(R"({"name":"Birch"})"));
    EXPECT_EQ(machine(R"({"name":5,"category":"wood"})"), "x");
}

TEST(ProcessConfigTest, MaterialAndMachineAtOnce) {
    const std::string text = R"({"name":"Birch","category":"Wood"})";
    ASSERT_TRUE(material(text));
    EXPECT_EQ(material(text)->category, "Wood");
    EXPECT_EQ(machine(text), "x");
}

TEST(ProcessConfigTest, MaterialFields) {
    const auto full = material(R"({"name":"Birch","material_id":"B3","material_vendor":"V1","vendor":"V2",)"
                               R"("material_thickness":3,"category":"Wood"})");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->materialId, "B3");
    EXPECT_EQ(full->vendor, "V1");
    EXPECT_EQ(full->thicknessMm, 3.0);
    EXPECT_EQ(full->category, "Wood");

    const auto fallback = material(R"({"name":"Birch","material_id":"B3","material_vendor":4,"vendor":"V2",)"
                                   R"("material_thickness":"3","category":7})");
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->vendor, "V2");
    EXPECT_FALSE(fallback->thicknessMm);
    EXPECT_FALSE(fallback->category);
    EXPECT_FALSE(material(R"({"name":"Birch","material_id":"B3"})")->vendor);
}

TEST(ProcessConfigTest, EmptyProcessEntryTakesDefaults) {
    const LACLaserSettings settings = onlySettings("{}");
    EXPECT_EQ(settings.processType, "LaserLineEngrave");
    EXPECT_EQ(settings.maxPowerPercent, 0.0);
    EXPECT_EQ(settings.speedMmPerSecond, 0.0);
    EXPECT_EQ(settings.numberOfPasses, 1);
    EXPECT_FALSE(settings.airAssist);
    EXPECT_FALSE(settings.scanningIntervalMm);
}

TEST(ProcessConfigTest, ProcessEntryFields) {
    const LACLaserSettings settings = onlySettings(
        R"({"max_power":80,"speed":12.5,"number_of_passes":3,"air_assistant":true,"scanning_interval":0.1})");
    EXPECT_EQ(settings.maxPowerPercent, 80.0);
    EXPECT_EQ(settings.speedMmPerSecond, 12.5);
    EXPECT_EQ(settings.numberOfPasses, 3);
    EXPECT_EQ(settings.airAssist, true);
    EXPECT_EQ(settings.scanningIntervalMm, 0.1);
}

TEST(ProcessConfigTest, NumberOfPassesReadings) {
    const std::pair<std::string, std::int64_t> cases[] = {
        {"2.7", 2},     {"-2.7", -2},  {"\"2\"", 1},          {"null", 1},
        {"true", 1},    {"1e3", 1000}, {"9223372036854775808", 1}, {"123456789012345678901234567890", 1},
        {"1e400", 1},   {"-9223372036854775808", INT64_MIN},
    };
    for (const auto& [text, passes] : cases) {
        EXPECT_EQ(onlySettings(R"({"number_of_passes":)" + text + "}").numberOfPasses, passes) << text;
    }
}

TEST(ProcessConfigTest, WrongTypesFallBack) {
    const LACLaserSettings settings =
        onlySettings(R"({"max_power":"80","speed":true,"air_assistant":"yes","scanning_interval":null})");
    EXPECT_EQ(settings.maxPowerPercent, 0.0);
    EXPECT_EQ(settings.speedMmPerSecond, 0.0);
    EXPECT_FALSE(settings.airAssist);
    EXPECT_FALSE(settings.scanningIntervalMm);
    EXPECT_FALSE(onlySettings(R"({"air_assistant":1})").airAssist);
}

TEST(ProcessConfigTest, OnlyObjectsUnderLaserKeysGiveSettings) {
    const ConfigFile file(R"({"laserLineEngrave":{},"KCPenDrawFill":{},"LaserFillEngrave":[],)"
                          R"("LaserImageEngrave":{"speed":5},"Laser":{}})");
    const auto settings = ProcessConfig::parseProcessConfig(file.root());
    ASSERT_EQ(settings.size(), 2u);
    EXPECT_EQ(settings.at("LaserImageEngrave").speedMmPerSecond, 5.0);
    EXPECT_EQ(settings.at("Laser").processType, "Laser");
    EXPECT_FALSE(ProcessConfig::parseMachineConfig(file.root(), "x.config"));
}

TEST(ProcessConfigTest, KCKeysAloneMakeNeitherMachineNorSettings) {
    const ConfigFile file(R"({"KCPenDrawFill":{"speed":1}})");
    EXPECT_TRUE(ProcessConfig::parseProcessConfig(file.root()).empty());
    EXPECT_FALSE(ProcessConfig::parseMachineConfig(file.root(), "x.config"));
}

TEST(ProcessConfigTest, RepeatedProcessKeyTakesItsLastValue) {
    const ConfigFile file(R"({"LaserLineEngrave":{"speed":1},"LaserLineEngrave":[]})");
    EXPECT_TRUE(ProcessConfig::parseProcessConfig(file.root()).empty());
}

}  // namespace
}  // namespace kerfwright
