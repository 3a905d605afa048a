// Path data of any kind parses, and what it parses to can be written.

#include <string_view>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "geometry/path_emitter.h"
#include "geometry/path_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kerfwright::PathParseResult parsed = kerfwright::PathParser::parse(text);
    kerfwright::fuzzing::require(parsed.commands.size() <= size, "no more commands than input bytes");
    const kerfwright::Transform2D scale{2, 0, 0, -2, 10, 10};
    (void)kerfwright::PathEmitter::emit(parsed.commands, scale, true);
    return 0;
}
