#include "model/inversion_error.hpp"

#include <algorithm>

namespace kesta {

template <typename T>
void carried_error(InversionError& out, int NS, const Deck& deck, const Derived& derived,
                   const PairConvolution& changes, std::span<const T> lag_H, std::span<const T> lag_Q,
                   PairConvolution::Workspace& work) {
  out.NS = NS;
  const auto NT = static_cast<std::size_t>(std::max(deck.NT, 0));
  if (NT < 2) {
    out.head.assign(NT, 0.0);
    out.seepage.assign(NT, 0.0);
    return;
  }
  // Step i (entry i of the results) sums the changes before it times the
  // response error at the lag since each: entry i - 1 of the convolution.
  out.head.reserve(NT);
  out.seepage.reserve(NT);
  changes.convolve(lag_H, lag_Q, out.head, out.seepage, work);
  out.head.insert(out.head.begin(), 0.0);
  out.seepage.insert(out.seepage.begin(), 0.0);
  const double seepage_scale = deck.AK / derived.XZEROD;
  for (double& e : out.seepage) e = seepage_scale * e;
}

template void carried_error(InversionError&, int, const Deck&, const Derived&, const PairConvolution&,
                            std::span<const float>, std::span<const float>, PairConvolution::Workspace&);
template void carried_error(InversionError&, int, const Deck&, const Derived&, const PairConvolution&,
                            std::span<const double>, std::span<const double>, PairConvolution::Workspace&);

}  // namespace kesta
