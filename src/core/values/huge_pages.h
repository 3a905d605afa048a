#pragma once
// Large buffers filled right after they are allocated: each 4 KiB page is
// otherwise a fault of its own when first written, which costs a large
// conversion a sixth of its time.

#include <cstddef>

namespace kerfwright {

// Asks the system to back the whole 2 MiB stretches of a buffer not yet
// written with huge pages, where it gives them on request (Linux, with
// transparent huge pages set to "madvise" or "always"): filling it then takes
// one fault per 2 MiB. Memory not written stays unused either way; elsewhere
// this does nothing.
void preferHugePages(void* data, std::size_t size);

// Reserves room for `count` elements in a string or vector about to be
// filled, on huge pages where the system gives them.
template <class Container>
void reserveOnHugePages(Container& container, std::size_t count) {
    container.reserve(count);
    preferHugePages(container.data(), container.capacity() * sizeof(*container.data()));
}

}  // namespace kerfwright
