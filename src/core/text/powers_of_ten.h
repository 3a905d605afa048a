#pragma once
// Powers of ten for number reading and writing, where std::pow would cost
// more than all the rest of the work.

#include <cstdint>

namespace kerfwright::text {

// 10^0 to 10^22: all exact doubles, and exactly what std::pow gives.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// 10^0 to 10^19, every power of ten a 64-bit unsigned integer holds.
inline constexpr std::uint64_t kIntegerPowersOfTen[] = {1,
                                                        10,
                                                        100,
                                                        1000,
                                                        10000,
                                                        100000,
                                                        1000000,
                                                        10000000,
                                                        100000000,
                                                        1000000000,
                                                        10000000000,
                                                        100000000000,
                                                        1000000000000,
                                                        10000000000000,
                                                        100000000000000,
                                                        1000000000000000,
                                                        10000000000000000,
                                                        100000000000000000,
                                                        1000000000000000000,
                                                        10000000000000000000u};

}  // namespace kerfwright::text
