#include "reading/process_config.h"

#include <algorithm>

namespace kerfwright::ProcessConfig {

namespace {

using json::JsonValue;
using Members = json::LastMembers;

constexpr std::string_view configExtension = ".config";

// Missing keys, nulls and values of another JSON type all read as nothing,
// so each field falls back to its default.

std::optional<std::string> textAt(const Members& members, std::string_view key) {
    const JsonValue* value = members.find(key);
    return value ? json::stringValue(*value) : std::nullopt;
}

std::optional<double> numberAt(const Members& members, std::string_view key) {
    const JsonValue* value = members.find(key);
    return value ? json::numberValue(*value) : std::nullopt;
}

std::optional<std::int64_t> wholeNumberAt(const Members& members, std::string_view key) {
    const JsonValue* value = members.find(key);
    return value ? json::truncatedInteger(*value) : std::nullopt;
}

std::optional<bool> booleanAt(const Members& members, std::string_view key) {
    const JsonValue* value = members.find(key);
    return value ? json::booleanValue(*value) : std::nullopt;
}

bool hasKey(const Members& members, std::string_view key) { return members.contains(key); }

bool isProcessKey(std::string_view key) { return key.starts_with("Laser"); }

bool hasKeyStartingWithLaserOrKC(const Members& members) {
    const auto byKey = members.byKey();
    return std::any_of(byKey.begin(), byKey.end(), [](const auto& member) {
        return isProcessKey(member.first) || member.first.starts_with("KC");
    });
}

LACLaserSettings laserSettings(std::string processType, const JsonValue& object) {
    const Members members = json::lastMembers(object);
    return LACLaserSettings{
        std::move(processType),
        numberAt(members, "max_power").value_or(0),
        numberAt(members, "speed").value_or(0),
        wholeNumberAt(members, "number_of_passes").value_or(1),
        booleanAt(members, "air_assistant"),
        numberAt(members, "scanning_interval"),
    };
}

}  // namespace

std::optional<LACMaterialInfo> parseMaterialConfig(const JsonValue& object) {
    const Members members = json::lastMembers(object);
    std::optional<std::string> name = textAt(members, "name");
    if (!name) return std::nullopt;
    // Presence alone marks a material file, whatever the value.
    if (!hasKey(members, "material_id") && !hasKey(members, "category")) return std::nullopt;
    std::optional<std::string> vendor = textAt(members, "material_vendor");
    if (!vendor) vendor = textAt(members, "vendor");
    return LACMaterialInfo{
        std::move(*name),
        textAt(members, "material_id"),
        std::move(vendor),
        numberAt(members, "material_thickness"),
        textAt(members, "category"),
    };
}

std::map<std::string, LACLaserSettings> parseProcessConfig(const JsonValue& object) {
    std::map<std::string, LACLaserSettings> settingsByProcess;
    const Members members = json::lastMembers(object);
    for (const auto& [key, value] : members.byKey()) {
        if (!isProcessKey(key) || !json::isObject(*value)) continue;
        settingsByProcess.insert_or_assign(std::string(key), laserSettings(std::string(key), *value));
    }
    return settingsByProcess;
}

std::optional<std::string> parseMachineConfig(const JsonValue& object, std::string_view fileName) {
    const Members members = json::lastMembers(object);
    if (hasKey(members, "material_id") || hasKeyStartingWithLaserOrKC(members)) return std::nullopt;
    if (!fileName.ends_with(configExtension)) return std::nullopt;
    fileName.remove_suffix(configExtension.size());
    return std::string(fileName);
}

}  // namespace kerfwright::ProcessConfig
