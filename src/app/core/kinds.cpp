#include "app/core/kinds.h"

namespace vorlix::core {

std::string KindEntryText(int kind) {
  switch (kind) {
    case kKindGroup:
      return "Group";
    case kKindWorkstationGroup:
      return "WorkStation Group";
    case kKindApplication:
      return "Application";
    default:
      return {};
  }
}

std::string KindClass(int kind) {
  switch (kind) {
    case kKindGroup:
      return "Group";
    case kKindWorkstationGroup:
      return "zenWorkstationGroup";
    case kKindApplication:
      return "App:Application";
    default:
      return {};
  }
}

std::array<std::string, 5> InitialColumnCaptions() {
  return {"User", "Phone", " ", " ", " "};
}

std::array<std::string, 5> ColumnCaptionsForKind(int kind,
                                                 const std::array<std::string, 5>& current) {
  std::array<std::string, 5> captions = {current[0], "", "", "", ""};
  if (kind == kKindGroup) {
    captions[0] = "User";
    captions[1] = "Phone";
  } else if (kind == kKindWorkstationGroup) {
    captions = {"Workstation", "User", "Last login", "IP-address", "Phone"};
  }
  return captions;
}

}  // namespace vorlix::core
