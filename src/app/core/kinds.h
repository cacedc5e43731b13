#pragma once
// The kinds of object the lookup lists, by their index in the kind selector, and the member
// table's column captions per kind.

#include <array>
#include <string>

namespace vorlix::core {

inline constexpr int kKindGroup = 0;
inline constexpr int kKindWorkstationGroup = 1;
inline constexpr int kKindApplication = 2;
inline constexpr int kKindCount = 3;

// "Group", "WorkStation Group", "Application"; empty for an unknown kind.
std::string KindEntryText(int kind);
// "Group", "zenWorkstationGroup", "App:Application"; empty for an unknown kind.
std::string KindClass(int kind);

// Headers before any kind change: "User", "Phone", " ", " ", " ".
std::array<std::string, 5> InitialColumnCaptions();
// Headers after choosing `kind`, starting from `current` (kind 2 keeps header 1's text):
// kind 0 "User", "Phone", "", "", ""; kind 1 "Workstation", "User", "Last login", "IP-address",
// "Phone"; kind 2 current header 1, then four empty texts.
std::array<std::string, 5> ColumnCaptionsForKind(int kind,
                                                 const std::array<std::string, 5>& current);

}  // namespace vorlix::core
