// The strict decoding of the scene and the project settings, and the lenient
// reading of configuration files, on any text.

#include <string_view>
#include <variant>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "reading/json_document.h"
#include "reading/json_records.h"
#include "reading/process_config.h"

namespace {

using namespace kerfwright;

void decodeAsScene(std::string_view text) {
    const auto scene = decodeScene(std::string(text));
    if (const auto* failure = std::get_if<JsonDecodeError>(&scene)) {
        fuzzing::require(!failure->text.empty(), "a decode error says what went wrong");
        return;
    }
    for (const RawCanvas& canvas : std::get<RawLACDocument>(scene).canvasList) (void)toCanvas(canvas);
}

void decodeAsSettings(std::string_view text) {
    const auto settings = decodeProcessSettings(std::string(text));
    if (const auto* decoded = std::get_if<RawProcessSettings>(&settings)) {
        (void)toProcessSettings(*decoded);
        (void)plateComponentsByCanvas(*decoded);
    }
}

void readAsConfig(std::string_view text) {
    const auto parsed = json::ParsedJson::parse(std::string(text));
    const auto* document = std::get_if<json::ParsedJson>(&parsed);
    if (document == nullptr || !json::isObject(document->root())) return;
    (void)ProcessConfig::parseMaterialConfig(document->root());
    (void)ProcessConfig::parseProcessConfig(document->root());
    (void)ProcessConfig::parseMachineConfig(document->root(), "fuzz.config");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    decodeAsScene(text);
    decodeAsSettings(text);
    readAsConfig(text);
    return 0;
}
