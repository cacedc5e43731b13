#include "app/core/kinds.h"

#include <algorithm>

namespace vorlix::core {

namespace {

const std::array<KindDescriptor, kKindCount>& Descriptors() {
  static const std::array<KindDescriptor, kKindCount> descriptors = {{
      {Kind::Group, "Group", "Group", {"User", "Phone", "", "", ""}, {}, PhoneCell{1, nullptr}},
      {Kind::WorkstationGroup,
       "WorkStation Group",
       "zenWorkstationGroup",
       {"Workstation", "User", "Last login", "IP-address", "Phone"},
       {{1, "WM:NAME User", CellForm::Text},
        {2, "WM:Last Registered Time", CellForm::TimeStamp},
        {3, "ZEN:INV IP Address", CellForm::Address}},
       PhoneCell{4, "WM:NAME User"}},
      {Kind::Application,
       "Application",
       "App:Application",
       {std::nullopt, "", "", "", ""},
       {},
       std::nullopt},
  }};
  return descriptors;
}

}  // namespace

std::optional<Kind> KindAt(int index) {
  if (index < 0 || index >= kKindCount) return std::nullopt;
  return static_cast<Kind>(index);
}

int KindIndex(Kind kind) {
  return static_cast<int>(kind);
}

int KindDescriptor::CellsFilled() const {
  int last = phone ? phone->cell : 0;
  for (const AttributeCell& read : attributeCells) last = std::max(last, read.cell);
  return last;
}

const AttributeCell* KindDescriptor::UserCell() const {
  if (!phone || phone->userAttribute == nullptr) return nullptr;
  for (const AttributeCell& read : attributeCells) {
    if (std::string_view(read.attribute) == phone->userAttribute) return &read;
  }
  return nullptr;
}

const KindDescriptor& DescriptorOf(Kind kind) {
  return Descriptors()[static_cast<size_t>(KindIndex(kind))];
}

std::string KindEntryText(Kind kind) {
  return DescriptorOf(kind).entryText;
}

std::string KindClass(Kind kind) {
  return DescriptorOf(kind).objectClass;
}

ColumnCaptions InitialColumnCaptions() {
  return {"User", "Phone", " ", " ", " "};
}

ColumnCaptions ColumnCaptionsForKind(Kind kind, const ColumnCaptions& current) {
  ColumnCaptions captions;
  const auto& wanted = DescriptorOf(kind).captions;
  for (size_t i = 0; i < captions.size(); ++i) {
    captions[i] = wanted[i] ? std::string(*wanted[i]) : current[i];
  }
  return captions;
}

}  // namespace vorlix::core
