// Writes every hostile archive into a folder, for trying them by hand:
//   make-hostile-archives DIR

#include <cstdio>
#include <fstream>
#include <string>

#include "hostile_archives.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make-hostile-archives DIR\n", stderr);
        return 2;
    }
    for (const hostile::HostileArchive& archive : hostile::corpus()) {
        const std::string path = std::string(argv[1]) + "/" + archive.fileName;
        const std::string bytes = archive.bytes();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::puts(path.c_str());
    }
    return 0;
}
