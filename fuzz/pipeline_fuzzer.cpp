// The whole pipeline, from archive bytes to SVG and sidecar texts and the
// names they would be saved under.
//
// An input that is no ZIP archive is taken as the scene's JSON, optionally
// followed by a NUL and the project settings' JSON, and packed into an
// archive first. Mutated archive bytes mostly stop at a checksum; mutated
// texts reach the scene walk and the writers.

#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "reading/lac_reader.h"
#include "session/save_outputs.h"
#include "writers/sidecar_writer.h"
#include "writers/svg_writer.h"
#include "zip_builder.h"

namespace {

std::string archiveOf(std::string_view bytes) {
    if (bytes.starts_with("PK")) return std::string(bytes);
    const std::size_t split = bytes.find('\0');
    const bool hasSettings = split != std::string_view::npos;
    lacgen::ZipBuilder zip;
    zip.add({"2D/2dmodel.json", std::string(bytes.substr(0, split)), false});
    zip.add({"Metadata2D/project_settings.json",
             hasSettings ? std::string(bytes.substr(split + 1)) : std::string(R"({"canvas_settings":[]})"), false});
    return zip.bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kerfwright;
    const std::string archive = archiveOf(std::string_view(reinterpret_cast<const char*>(data), size));
    LoadedDocument loaded;
    loaded.sourcePath = "fuzz.lac";
    try {
        loaded.document = LACReader::readFromMemory(archive, loaded.sourcePath);
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
