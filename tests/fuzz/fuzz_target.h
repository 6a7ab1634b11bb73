#pragma once

// The entry points every fuzz target defines, as libFuzzer calls them. In the ordinary build the
// same target is linked with run_inputs.cpp, which calls them for each file it is given.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
