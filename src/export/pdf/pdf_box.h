#pragma once
// A rectangle on the page in whole points: left, bottom, right, top.

#include <cstdint>

namespace vorlix::exporter::pdf {

struct TPDFBox {
  std::int32_t Left = 0;
  std::int32_t Bottom = 0;
  std::int32_t Right = 0;
  std::int32_t Top = 0;

  friend constexpr bool operator==(const TPDFBox&, const TPDFBox&) = default;
};

}  // namespace vorlix::exporter::pdf
