#pragma once
// The optional configuration files of a project ("Metadata2D/....config"):
// each is one JSON object that may describe a machine, a material and the
// recommended laser settings per process type. Nothing names a file's role;
// the parsers recognise it by the keys it holds and never fail.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "reading/json_document.h"
#include "reading/model.h"

namespace kerfwright::ProcessConfig {

// Each takes the parsed top-level object of one configuration file.
std::optional<LACMaterialInfo> parseMaterialConfig(const json::JsonValue& object);
std::map<std::string, LACLaserSettings> parseProcessConfig(const json::JsonValue& object);
// `fileName` is the last component of the entry's path, such as "x.config".
std::optional<std::string> parseMachineConfig(const json::JsonValue& object, std::string_view fileName);

}  // namespace kerfwright::ProcessConfig
