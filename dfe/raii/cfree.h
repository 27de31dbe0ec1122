#pragma once

namespace luvaro {

// Deleter for a C handle: `std::unique_ptr<xmlDoc, CFree<&xmlFreeDoc>>`.
template <auto Fn>
struct CFree {
  void operator()(auto* p) const noexcept { Fn(p); }
};

}  // namespace luvaro
