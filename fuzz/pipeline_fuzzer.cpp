// The whole pipeline, from archive bytes to SVG and sidecar texts and the
// names they would be saved under.

#include <string_view>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "reading/lac_reader.h"
#include "writers/save_outputs.h"
#include "writers/sidecar_writer.h"
#include "writers/svg_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kerfwright;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LoadedDocument loaded;
    loaded.sourcePath = "fuzz.lac";
    try {
        loaded.document = LACReader::readFromMemory(bytes, loaded.sourcePath);
    } catch (const LACReadError&) {
        return 0;
    }
    loaded.conversions = SVGWriter::convert(loaded.document, kConversionMarginMillimeters);
    for (const CanvasConversion& conversion : loaded.conversions) {
        fuzzing::requireWellFormedSvg(conversion.svg);
        (void)SidecarWriter::text(conversion, loaded.document, "fuzz.lac");
    }
    for (const std::string& name : saveAllFileNames(loaded)) {
        fuzzing::require(name.find('/') == std::string::npos, "an output name opens no folder");
    }
    return 0;
}
