#include "values/work_sharing.h"

#ifndef KERFWRIGHT_NO_THREADS
#include <sched.h>
#endif

namespace kerfwright {

std::size_t usableThreadCount() {
#ifdef KERFWRIGHT_NO_THREADS
    // No thread to spread over, nor a way to ask for the cores.
    return 1;
#else
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) {
        return static_cast<std::size_t>(CPU_COUNT(&usable));
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
#endif
}

}  // namespace kerfwright
