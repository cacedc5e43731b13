#pragma once
// An RGB colour as the PDF writer and exporter take it: one byte per channel.

#include <cstdint>

namespace vorlix::exporter::pdf {

struct TColor {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;

  friend constexpr bool operator==(const TColor&, const TColor&) = default;
};

inline constexpr TColor clBlack{0, 0, 0};
inline constexpr TColor clWhite{255, 255, 255};
inline constexpr TColor clRed{255, 0, 0};
inline constexpr TColor clGreen{0, 128, 0};
inline constexpr TColor clBlue{0, 0, 255};
inline constexpr TColor clSilver{192, 192, 192};
inline constexpr TColor clGray{128, 128, 128};
inline constexpr TColor clYellow{255, 255, 0};

}  // namespace vorlix::exporter::pdf
