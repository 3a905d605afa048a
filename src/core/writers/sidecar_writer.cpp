#include "writers/sidecar_writer.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "text/number_text.h"
#include "text/svg_format.h"

namespace kerfwright::SidecarWriter {
namespace {

constexpr std::string_view kEmDash = "\u2014";
constexpr std::string_view kBullet = "  \u2022 ";

void appendNumber(std::string& out, double value) { SVGFormat::appendNum(out, value); }

void appendLine(std::string& out, std::string_view line) {
    out += line;
    out += '\n';
}

// The settings shown under a layer: only the process type that names the
// layer's own operation, which is narrower than what the layer mapping sends
// there.
std::optional<std::string_view> processTypeShownFor(LayerKind layer) {
    switch (layer) {
        case LayerKind::engraveImage: return "LaserImageEngrave";
        case LayerKind::engraveFill: return "LaserFillEngrave";
        case LayerKind::engraveLine: return "LaserLineEngrave";
        case LayerKind::cut: return "LaserLineCut";
        case LayerKind::score:
        case LayerKind::unknown: return std::nullopt;
    }
    return std::nullopt;
}

void appendHeading(std::string& out, std::string_view sourceFileName) {
    appendLine(out, "Kerfwright \u2014 Settings Summary");
    appendLine(out, std::string(32, '='));
    appendLine(out, "");
    out += "Source file: ";
    appendLine(out, sourceFileName);
}

void appendMaterial(std::string& out, const LACMaterialInfo& material) {
    out += "Material:    ";
    out += material.name;
    if (material.materialId) {
        out += "  (";
        out += *material.materialId;
        out += ')';
    }
    out += '\n';
    if (material.vendor) {
        out += "Vendor:      ";
        appendLine(out, *material.vendor);
    }
    if (material.thicknessMm) {
        out += "Thickness:   ";
        appendNumber(out, *material.thicknessMm);
        appendLine(out, " mm");
    }
    if (material.category) {
        out += "Category:    ";
        appendLine(out, *material.category);
    }
}

void appendCanvasAndBounds(std::string& out, const CanvasConversion& conversion, const OutputProfile& profile) {
    out += "Canvas:      ";
    appendLine(out, canvasDisplayName(conversion.canvasIndex, conversion.canvasName));
    out += "Bounds:      ";
    appendNumber(out, conversion.bounds.maxX - conversion.bounds.minX);
    out += " \u00d7 ";
    appendNumber(out, conversion.bounds.maxY - conversion.bounds.minY);
    appendLine(out, " mm");
    // The standard profile's summary says nothing of it, as it always has.
    if (!profile.isStandard()) {
        out += "Profile:     ";
        appendLine(out, profile.description());
    }
    appendLine(out, "");
}

void appendSettingsBlock(std::string& out, const LACLaserSettings& settings, std::string_view processType) {
    out += kBullet;
    out += processType;
    appendLine(out, ":");
    out += "      Power:  ";
    appendNumber(out, settings.maxPowerPercent);
    appendLine(out, "%");
    out += "      Speed:  ";
    appendNumber(out, settings.speedMmPerSecond);
    appendLine(out, " mm/s");
    out += "      Passes: ";
    text::appendInteger(out, settings.numberOfPasses);
    out += '\n';
    if (settings.airAssist) {
        out += "      Air assist: ";
        appendLine(out, *settings.airAssist ? "on" : "off");
    }
    if (settings.scanningIntervalMm) {
        out += "      Scan interval: ";
        appendNumber(out, *settings.scanningIntervalMm);
        appendLine(out, " mm");
    }
}

void appendLayerSection(std::string& out, LayerKind layer, std::int64_t count, const LACProcessConfig& config,
                        const OutputProfile& profile) {
    out += "\n";
    out += rawValue(layer);
    out += "  (";
    out += profile.colour(layer).value_or(kEmDash);
    out += ", ";
    text::appendInteger(out, count);
    out += count == 1 ? " object)\n" : " objects)\n";

    const auto processType = processTypeShownFor(layer);
    const auto settings = processType ? config.laserSettings.find(std::string(*processType)) : config.laserSettings.end();
    if (settings != config.laserSettings.end()) {
        appendSettingsBlock(out, settings->second, *processType);
    } else {
        appendLine(out, "  (No settings recorded in the LAC for this process type.)");
    }
}

void appendLayers(std::string& out, const CanvasConversion& conversion, const LACProcessConfig& config,
                  const OutputProfile& profile) {
    appendLine(out, "Layer settings (apply these in the laser program after import)");
    appendLine(out, std::string(62, '-'));
    for (LayerKind layer : kLayerListingOrder) {
        const auto count = conversion.layerCounts.find(layer);
        if (count != conversion.layerCounts.end() && count->second >= 1) {
            appendLayerSection(out, layer, count->second, config, profile);
        }
    }
}

void appendWarnings(std::string& out, const std::vector<std::string>& warnings) {
    if (warnings.empty()) return;
    appendLine(out, "");
    appendLine(out, "Conversion warnings");
    appendLine(out, std::string(19, '-'));
    for (const std::string& warning : warnings) {
        out += kBullet;
        appendLine(out, warning);
    }
}

void appendFooter(std::string& out) {
    appendLine(out, "");
    appendLine(out,
               "Generated by Kerfwright \u2014 these are the recommended settings saved in the project for this "
               "material.");
    appendLine(out, "Verify on a test piece before running the full job.");
}

}  // namespace

std::optional<std::string> text(const CanvasConversion& conversion,
                                const LACDocument& document,
                                std::string_view sourceFileName,
                                const OutputProfile& profile) {
    if (!document.processConfig) return std::nullopt;
    const LACProcessConfig& config = *document.processConfig;

    std::string out;
    out.reserve(1024);
    appendHeading(out, sourceFileName);
    if (config.material) appendMaterial(out, *config.material);
    if (config.machineName) {
        out += "Machine:     ";
        appendLine(out, *config.machineName);
    }
    appendCanvasAndBounds(out, conversion, profile);
    appendLayers(out, conversion, config, profile);
    appendWarnings(out, conversion.warnings);
    appendFooter(out);
    return out;
}

}  // namespace kerfwright::SidecarWriter
