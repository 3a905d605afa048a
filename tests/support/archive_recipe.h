#pragma once
// Archives written down as recipes, one entry per part:
//
//   [stored:|bzip2:][badcrc:][pastend:][png:][dir:|link:][size=N:][stream=N:][zeros:][same:]NAME=CONTENT
//
// "pastend" makes the central directory place the data past the archive's
// end; "png" puts a PNG file's signature before the content. "scene" and "settings" alone are the smallest valid required entries, and
// "scene=…" and "settings=…" name those two entries short. In CONTENT,
// <<N*TEXT>> stands for TEXT written N times, with {i} and {i+1} in it
// replaced by the count from 1 and the count after it. "size=N" makes the
// headers claim N bytes whatever the data is, and "stream=N" N bytes of data
// as stored; "zeros" makes the data CONTENT
// mebibytes of zero bytes, a DEFLATE stream made in milliseconds however
// large; "same" entries hold no data of their own but share the data of the
// earlier entry that CONTENT names. The part "truncated N" drops the
// archive's last N bytes; "end records in comment N" fills the archive's
// comment with N copies of its end record; "many N:PART" stands for N parts,
// with {i} in PART replaced by the count from 1.

#include <string>
#include <vector>

namespace kerfwright::testing {

std::string archiveOf(const std::vector<std::string>& parts);

// The parts of a recipe written on one line, separated by " | ".
std::vector<std::string> recipeParts(const std::string& line);

}  // namespace kerfwright::testing
