// Reading an archive from bytes in memory, the same code path a file takes:
// it gives a document or one LACReadError, never anything else.

#include <string_view>

#include "fuzz_checks.h"
#include "fuzz_target.h"
#include "reading/lac_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        (void)kerfwright::LACReader::readFromMemory(bytes, "fuzz.lac");
    } catch (const kerfwright::LACReadError& error) {
        kerfwright::fuzzing::require(!error.description().empty(), "a read error says what went wrong");
    }
    return 0;
}
