#pragma once
// The projects a person opened last, newest first, kept between runs in the
// user's settings for File › Open Recent and for where the open dialog starts.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

namespace kerfwright::app::RecentProjects {

inline constexpr std::size_t kMostRemembered = 10;

// The remembered projects that still exist, newest first.
std::vector<std::filesystem::path> list();
std::optional<std::filesystem::path> latest();

// Puts `project` first, once, and forgets the oldest past the limit.
void remember(const std::filesystem::path& project);
void forgetAll();

}  // namespace kerfwright::app::RecentProjects
