// Writes COUNT projects drawn at random (random_projects.h) into a folder and
// prints each one's path, one per line. The same count gives the same files
// byte for byte on every run.

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "random_projects.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: generate-projects COUNT OUTPUT-FOLDER\n", stderr);
        return 2;
    }
    try {
        const int count = std::stoi(argv[1]);
        for (int number = 1; number <= count; ++number) {
            const auto seed = static_cast<std::uint64_t>(number);
            const std::string path = std::string(argv[2]) + "/" + lacgen::randomProjectFileName(number, seed);
            lacgen::randomProject(seed).archive().writeTo(path);
            std::cout << path << '\n';
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
