#pragma once
// Archives made to break a converter: each small to store or quick to make,
// and each aimed at one way an input can cost unbounded time or memory, crash
// a parser, or lead a write outside its folder. The tests run every one of
// them through kerfwright-cli and assert its outcome.

#include <functional>
#include <string>
#include <vector>

namespace hostile {

// The scene entry inflates to just past the limit for one entry, and its
// headers declare a few kilobytes.
std::string inflationBomb();
// Valid scene and settings, then configuration files that each inflate past
// the limit for one entry, then an image: together past the limit of a read.
std::string archiveBomb();
// One image placed once whose entry inflates to just within the limit for
// one entry, its true size declared: far more than may be embedded.
std::string imageBomb();
// One path at the bottom of a chain of `depth` groups, each placing the next.
std::string groupChain(int depth);
// A group placed twice inside a group placed twice, `levels` deep, over one
// path, or over an empty group when `withPath` is false.
std::string groupTree(int levels, bool withPath);
// One path whose data is `bytes` long.
std::string longPath(std::size_t bytes);
// A scene that is `depth` nested arrays.
std::string deepJson(int depth);
// Valid entries whose headers declare the wrong uncompressed sizes.
std::string wrongDeclaredSizes();
// The scene and the settings twice each: valid first, garbage second.
std::string duplicateEntries();
// Two image entries whose central records point at the same data.
std::string overlappingEntries();
// The first half of a valid archive.
std::string truncatedArchive();
// 1e308, -1e308 and -0 in every number of the scene.
std::string extremeNumbers();
// A name holding bytes that are not UTF-8.
std::string invalidUtf8();
// A name holding an escaped lone surrogate.
std::string loneSurrogate();

struct HostileArchive {
    std::string fileName;  // such as "inflation-bomb.lac"
    std::function<std::string()> bytes;
};

// Every archive above with its file name, in a fixed order.
std::vector<HostileArchive> corpus();

}  // namespace hostile
