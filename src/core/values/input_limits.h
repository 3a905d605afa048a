#pragma once
// Every bound the converter puts on what one input may cost. A .lac file can
// come from anywhere, and a few kilobytes of it can describe gigabytes of
// content; these keep each load and conversion within bounded time and memory.
// None of them is reached by an ordinary project: below them the output is
// exactly what it would be without them.

#include <cstddef>
#include <cstdint>

namespace kerfwright::limits {

inline constexpr std::uint64_t kMebibyte = std::uint64_t{1} << 20;
inline constexpr std::uint64_t kGibibyte = std::uint64_t{1} << 30;

// Reading the archive

// The most one entry may inflate to. The sizes an archive declares are not
// trusted: this is counted while the entry streams out, so a small archive
// that inflates to many gigabytes is stopped here.
inline constexpr std::uint64_t kMaxEntryBytes = kGibibyte;
inline constexpr const char* kMaxEntryBytesText = "1 GiB";

// The most all entries of one read may inflate to together, counting entries
// that are skipped or fail afterwards: it bounds the work of an archive of
// many entries each just under the limit for one.
inline constexpr std::uint64_t kMaxArchiveBytes = 4 * kGibibyte;
inline constexpr const char* kMaxArchiveBytesText = "4 GiB";

// An entry is held in memory while it streams out up to this size, or up to
// the size the archive declares for it when that is larger (within the entry
// limit); past it, the rest is only counted, and an entry found within the
// limits is then extracted a second time into a buffer of its exact size. An
// entry whose declaration understates it, as a bomb's does, therefore costs
// time but never its size in memory. It is also the most memory reserved up
// front for an entry, whatever its declaration says, but for the entry below.
inline constexpr std::uint64_t kEntryBytesHeldWhileMeasuring = 64 * kMebibyte;

// A deflated entry is read whole and inflated in one piece, into a buffer of
// the size it declares, when that size is within the limits and at most this
// many times the stream the archive holds for it (the stream is read first),
// or at most what is held while measuring. Otherwise, and whenever the entry
// does not come out exactly as declared, it is streamed as above. A
// declaration that overstates therefore costs at most this many times the
// bytes the archive really holds.
inline constexpr std::uint64_t kMostDeclaredBytesPerStoredByte = 16;

// Converting

// The most placements (leaf nodes and flattener warnings together) that one
// conversion of a document produces, over all its canvases and plates. A group
// placed twice inside a group placed twice, and so on, grows exponentially
// from a tiny file; the walk stops here and says so.
inline constexpr std::int64_t kMaxPlacements = 1'000'000;

// The most components one conversion walks, groups included. Groups of empty
// groups produce no placements at all, yet can still be walked exponentially
// often; this stops them where the placement bound cannot.
inline constexpr std::int64_t kMaxComponentVisits = 10'000'000;

// The most canvas and plate drawings one document yields. Each costs a walk
// and a document even when empty, and a few bytes of JSON declare one plate.
inline constexpr std::size_t kMaxDrawings = 10'000;

// The most embedded image data (Base64 text) one conversion writes: one image
// placed ten thousand times is embedded ten thousand times.
inline constexpr std::uint64_t kMaxImageDataBytes = kGibibyte;
inline constexpr const char* kMaxImageDataBytesText = "1 GiB";

// The most text of elements one conversion writes, their embedded image data
// aside: one long path placed a million times would otherwise be written a
// million times. It is counted before an element is written, as its path
// data or matrix and its name plus a fixed allowance for the rest of its line.
inline constexpr std::uint64_t kMaxElementTextBytes = kGibibyte;
inline constexpr const char* kMaxElementTextBytesText = "1 GiB";

// The longest name a ZIP entry can have (its length is a 16-bit field): a
// longer image name names no entry, and is not normalised to look for one.
inline constexpr std::size_t kLongestEntryName = 65535;

// The longest path data of one object that is parsed. Parsing holds several
// times the text's size in tokens and commands, and no real drawing has a
// single path this long.
inline constexpr std::size_t kMaxPathDataBytes = 16 * kMebibyte;
inline constexpr const char* kMaxPathDataBytesText = "16 MiB";

// The most warning text one conversion collects. A faulty path repeats its
// warnings once per placement, and a bad transform quotes its whole text.
inline constexpr std::uint64_t kMaxWarningTextBytes = 64 * kMebibyte;
inline constexpr const char* kMaxWarningTextBytesText = "64 MiB";

}  // namespace kerfwright::limits
