#pragma once
// The kinds of object the lookup lists, in the order of the kind selector, and for each one
// descriptor: its entry text, its class, the member table's column captions and the reads that
// fill a member's row. The row filling and the read-ahead plan the lookup announces to the
// client are both derived from the descriptor, so the two cannot differ.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/member_columns.h"

namespace vorlix::core {

enum class Kind { Group, WorkstationGroup, Application };
inline constexpr int kKindCount = 3;

// The kind at `index` in the kind selector; nullopt outside 0 to kKindCount - 1.
std::optional<Kind> KindAt(int index);
// The index of `kind` in the kind selector.
int KindIndex(Kind kind);

using ColumnCaptions = std::array<std::string, kMemberColumnCount>;

// How a value read from a member's attribute becomes its cell's text.
enum class CellForm {
  Text,       // as it reads
  TimeStamp,  // an integer number of seconds since 1970, shown as a date and time
  Address,    // without the "[" and "]" the directory puts around it
};

// A cell filled from one of the member's own attributes.
struct AttributeCell {
  int cell;               // 1 to 4
  std::string attribute;  // held as the reads take it, so that no read spells it anew
  CellForm form;
};

// The cell that shows a user's phone (read through the phone chain when one is configured).
struct PhoneCell {
  int cell;  // 1 to 4
  // The member's attribute whose value names the user, read into an AttributeCell of the same
  // descriptor; nullptr: the member is the user.
  const char* userAttribute;
};

struct KindDescriptor {
  Kind kind;
  const char* entryText;    // in the kind selector and in "No ... matches"
  const char* objectClass;  // of the objects the lookup finds
  // The column captions after choosing the kind; nullopt for the first: the current one stays.
  std::array<std::optional<std::string_view>, kMemberColumnCount> captions;
  std::vector<AttributeCell> attributeCells;  // read in this order
  std::optional<PhoneCell> phone;             // read after the attribute cells

  // The highest cell the reads fill (0: none).
  int CellsFilled() const;
  // The attribute cell that holds the phone's user, if the phone is another object's.
  const AttributeCell* UserCell() const;
};

const KindDescriptor& DescriptorOf(Kind kind);

// "Group", "WorkStation Group", "Application".
std::string KindEntryText(Kind kind);
// "Group", "zenWorkstationGroup", "App:Application".
std::string KindClass(Kind kind);

// Headers before any kind change: "User", "Phone", " ", " ", " ".
ColumnCaptions InitialColumnCaptions();
// Headers after choosing `kind`, starting from `current` (the application kind keeps header 1's
// text): group "User", "Phone", "", "", ""; workstation group "Workstation", "User",
// "Last login", "IP-address", "Phone"; application current header 1, then four empty texts.
ColumnCaptions ColumnCaptionsForKind(Kind kind, const ColumnCaptions& current);

}  // namespace vorlix::core
