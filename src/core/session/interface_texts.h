#pragma once
// The fixed texts of the window and the page: headings, button labels, tool
// tips and the faces for no file and for a failure. Both front ends take them
// from here, so that they say the same thing in the same words.

#include <array>
#include <string>
#include <string_view>

namespace kerfwright::InterfaceTexts {

struct Text {
    std::string_view key;  // how the page names it
    std::string_view text;
};

inline constexpr Text kTitle{"title", "Kerfwright"};
// "**" marks bold, "\n" a line break.
inline constexpr Text kDropInstruction{"dropInstruction",
                                       "Drop a **.lac** file anywhere on this window,\nor click below to choose one."};
inline constexpr Text kChooseFile{"chooseFile", "Choose .lac File\u2026"};
inline constexpr Text kOpenCommand{"openCommand", "Open .lac File\u2026"};
inline constexpr Text kErrorHeading{"errorHeading", "Couldn't read that file"};
inline constexpr Text kTryAnotherFile{"tryAnotherFile", "Try Another File"};
inline constexpr Text kLayersHeading{"layersHeading", "Layers"};
inline constexpr Text kShowLayer{"showLayer", "Show this layer in the preview"};
inline constexpr Text kCopySettings{"copySettings", "Copy Settings"};
inline constexpr Text kBoundsHeading{"boundsHeading", "Bounds"};
inline constexpr Text kWarningsHeading{"warningsHeading", "Warnings"};
inline constexpr Text kWarningBullet{"warningBullet", "\u2022 "};
inline constexpr Text kOutputHeading{"outputHeading", "Output"};
inline constexpr Text kHairline{"hairline", "Hairline cuts and scores (0.025 mm)"};
inline constexpr Text kSaveOne{"saveOne", "Save SVG + Settings\u2026"};
inline constexpr Text kSaveOneTip{
    "saveOneTip", "Saves the .svg and a .txt sidecar with material, power, speed, and pass count for each layer."};
inline constexpr Text kOpenAnother{"openAnother", "Open Another\u2026"};
inline constexpr Text kFit{"fit", "Fit"};
inline constexpr Text kActualSize{"actualSize", "Actual size"};
inline constexpr Text kNoContent{"noContent", "No content"};
inline constexpr Text kDismiss{"dismiss", "Dismiss"};
inline constexpr Text kPreviewBusy{"previewBusy", "Drawing the preview\u2026"};

inline constexpr std::array kAll{kTitle,          kDropInstruction, kChooseFile,   kOpenCommand,   kErrorHeading,
                                 kTryAnotherFile, kLayersHeading,   kShowLayer,    kCopySettings,  kBoundsHeading,
                                 kWarningsHeading, kWarningBullet,  kOutputHeading, kHairline,     kSaveOne,
                                 kSaveOneTip,     kOpenAnother,     kFit,          kActualSize,    kNoContent,
                                 kDismiss,        kPreviewBusy};

// Every text above as one JSON object, by key.
std::string json();

}  // namespace kerfwright::InterfaceTexts
