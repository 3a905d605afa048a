#include "writers/sidecar_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "text/number_text.h"
#include "text/svg_format.h"

namespace kerfwright::SidecarWriter {
namespace {

constexpr std::string_view kEmDash = "\u2014";
constexpr std::string_view kBullet = "  \u2022 ";

// A setting or a size as the drawings write numbers. A finite value too
// large for the rounding step (it would overflow into "inf") is written as
// printf's "%g" writes it instead: a finite value never reads as infinite.
void appendNumber(std::string& out, double value) {
    constexpr double kRoundingStep = 1e4;  // ten to the power of the places kept
    static_assert(SVGFormat::kPrecision == 4);
    if (std::isfinite(value) && !std::isfinite(value * kRoundingStep)) {
        text::appendPrintfG(out, value);
        return;
    }
    SVGFormat::appendNum(out, value);
}

void appendLine(std::string& out, std::string_view line) {
    out += line;
    out += '\n';
}

// Text the project supplies, with every C0 and C1 control character (a line
// break, an escape, a NUL) shown as U+FFFD: the summary's lines are its own.
// Other bytes are copied as they are.
void appendQuoted(std::string& out, std::string_view text) {
    constexpr std::string_view kReplacement = "\uFFFD";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte < 0x20 || c1) {
            out += kReplacement;
            if (c1) ++i;
        } else {
            out += text[i];
        }
    }
}

void appendQuotedLine(std::string& out, std::string_view line) {
    appendQuoted(out, line);
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
    appendQuotedLine(out, sourceFileName);
}

void appendMaterial(std::string& out, const LACMaterialInfo& material) {
    out += "Material:    ";
    appendQuoted(out, material.name);
    if (material.materialId) {
        out += "  (";
        appendQuoted(out, *material.materialId);
        out += ')';
    }
    out += '\n';
    if (material.vendor) {
        out += "Vendor:      ";
        appendQuotedLine(out, *material.vendor);
    }
    if (material.thicknessMm) {
        out += "Thickness:   ";
        appendNumber(out, *material.thicknessMm);
        appendLine(out, " mm");
    }
    if (material.category) {
        out += "Category:    ";
        appendQuotedLine(out, *material.category);
    }
}

void appendCanvasAndBounds(std::string& out, const CanvasConversion& conversion, const OutputProfile& profile) {
    out += "Canvas:      ";
    appendQuotedLine(out, canvasDisplayName(conversion.canvasIndex, conversion.canvasName));
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

    out += layerSettings(layer, config);
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
        appendQuotedLine(out, warning);
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

std::string materialAndMachine(const LACProcessConfig& config) {
    std::string out;
    if (config.material) appendMaterial(out, *config.material);
    if (config.machineName) {
        out += "Machine:     ";
        appendQuotedLine(out, *config.machineName);
    }
    return out;
}

std::string layerSettings(LayerKind layer, const LACProcessConfig& config) {
    std::string out;
    const auto processType = processTypeShownFor(layer);
    const auto settings = processType ? config.laserSettings.find(std::string(*processType)) : config.laserSettings.end();
    if (settings != config.laserSettings.end()) {
        appendSettingsBlock(out, settings->second, *processType);
    } else {
        appendLine(out, "  (No settings recorded in the LAC for this process type.)");
    }
    return out;
}

std::optional<std::string> text(const CanvasConversion& conversion,
                                const LACDocument& document,
                                std::string_view sourceFileName,
                                const OutputProfile& profile) {
    if (!document.processConfig) return std::nullopt;
    const LACProcessConfig& config = *document.processConfig;

    std::string out;
    out.reserve(1024);
    appendHeading(out, sourceFileName);
    out += materialAndMachine(config);
    appendCanvasAndBounds(out, conversion, profile);
    appendLayers(out, conversion, config, profile);
    appendWarnings(out, conversion.warnings);
    appendFooter(out);
    return out;
}

}  // namespace kerfwright::SidecarWriter
