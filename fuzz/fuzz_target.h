#pragma once
// The entry point every fuzz target defines. libFuzzer calls it with each
// input it makes; in the ordinary build corpus_runner.cpp calls it with each
// stored input, so that the targets build and run with every test run.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
