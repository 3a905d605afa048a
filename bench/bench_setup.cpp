#include "bench_setup.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "session/save_outputs.h"

namespace kerfwright::bench {

Setup& setup() {
    static Setup instance;
    return instance;
}

Setup setupFrom(const fs::path& projects) {
    Setup made;
    made.largeProject = projects / "large.lac";
    for (const auto& entry : fs::directory_iterator(projects / "small")) {
        if (entry.path().extension() == ".lac") made.smallProjects.push_back(entry.path().string());
    }
    std::sort(made.smallProjects.begin(), made.smallProjects.end());
    if (fs::is_directory(projects / "mixes")) {
        for (const auto& entry : fs::directory_iterator(projects / "mixes")) {
            if (entry.path().extension() == ".lac") made.mixes.push_back(entry.path());
        }
    }
    std::sort(made.mixes.begin(), made.mixes.end());
    if (!fs::exists(made.largeProject) || made.smallProjects.empty()) {
        throw std::runtime_error("no benchmark projects in " + projects.string() +
                                 "; make them with kerfwright-bench-projects");
    }
    std::string scratch = (fs::temp_directory_path() / "kerfwright-bench-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    made.scratch = scratch;
    std::string memoryScratch = "/dev/shm/kerfwright-bench-XXXXXX";
    if (fs::is_directory("/dev/shm") && mkdtemp(memoryScratch.data()) != nullptr) made.memoryScratch = memoryScratch;
    return made;
}

bool isUsedEntry(std::string_view path) {
    return path == kSceneEntry || path == kSettingsEntry ||
           (path.starts_with("Metadata2D/") && path.ends_with(".config")) || path.starts_with("2D/Objects/");
}

fs::path freshFolder(const std::string& name) {
    const fs::path folder = setup().scratch / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::map<std::string, std::string> folderContents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) contents.emplace(fs::relative(entry.path(), folder).string(), readBytes(entry.path()));
    }
    return contents;
}

ChildRun runProgram(const std::vector<std::string>& arguments, const fs::path& outputPath,
                    const fs::path& errorPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + arguments[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return ChildRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
}

const std::vector<std::size_t>& outputFileSizes(const fs::path& project) {
    static std::map<fs::path, std::vector<std::size_t>> sizes;
    auto [found, isNew] = sizes.try_emplace(project);
    if (isNew) {
        const fs::path folder = freshFolder("sizes");
        saveAll(loadDocument(project), folder);
        for (const auto& [name, bytes] : folderContents(folder)) found->second.push_back(bytes.size());
    }
    return found->second;
}

}  // namespace kerfwright::bench
