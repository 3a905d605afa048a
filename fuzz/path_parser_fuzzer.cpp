// Path data of any kind parses, what it parses to can be written, and
// outlining it in one pass gives the same as outlining its parsed commands.

#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "geometry/path_emitter.h"
#include "geometry/path_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kerfwright::PathParseResult parsed = kerfwright::PathParser::parse(text);
    kerfwright::fuzzing::require(parsed.commands.size() <= size, "no more commands than input bytes");
    const kerfwright::Transform2D scale{2, 0, 0, -2, 10, 10};
    const kerfwright::PathEmitter::EmittedPath fromCommands = kerfwright::PathEmitter::emit(parsed.commands, scale, true);
    std::vector<kerfwright::PathParseWarning> warnings;
    const kerfwright::PathEmitter::EmittedPath onePass = kerfwright::PathEmitter::emitData(text, scale, true, warnings);
    kerfwright::fuzzing::require(onePass.d == fromCommands.d && onePass.allFinite == fromCommands.allFinite &&
                                     std::memcmp(&onePass.bounds, &fromCommands.bounds, sizeof(onePass.bounds)) == 0,
                                 "data outlined in one pass comes out as the outline of its commands");
    kerfwright::fuzzing::require(warnings == parsed.warnings, "a parse in one pass notes what a parse to a list notes");
    return 0;
}
