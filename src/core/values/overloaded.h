#pragma once
// One visitor from several lambdas, for std::visit over the tagged unions.

namespace kerfwright {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Spelled out for compilers without class template argument deduction for aggregates.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace kerfwright
