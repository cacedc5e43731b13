#include "app/core/listing.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "app/core/member_values.h"
#include "directory/directory_layer.h"
#include "directory/name_sort.h"
#include "directory/value_rendering.h"
#include "platform/plain_text.h"

namespace vorlix::core {

namespace {

constexpr char kNoUserPhone[] = "  -";
constexpr char kMember[] = "Member";
constexpr char kDescription[] = "Description";

std::string WithoutBrackets(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '[' || c == ']'; }),
             text.end());
  return text;
}

// The members in the member table's order: by the table's own comparison of the first column
// (platform::CompareNoCase), and names it finds equal in the order the lookup lists names
// (directory::SortNames), as the table would order a list sorted so. Each name is lowered once,
// into one buffer, and sorted by that key; only names whose keys are equal are sorted again.
std::vector<std::string> MembersInTableOrder(std::vector<std::string> names) {
  struct Key {
    size_t offset;  // in `lowered`
    uint32_t length;
    uint32_t index;  // in `names`
  };
  size_t total = 0;
  for (const std::string& name : names) total += name.size();
  std::string lowered(total, '\0');
  std::vector<Key> keys;
  keys.reserve(names.size());
  char* to = lowered.data();
  for (size_t i = 0; i < names.size(); ++i) {
    keys.push_back({static_cast<size_t>(to - lowered.data()),
                    static_cast<uint32_t>(names[i].size()), static_cast<uint32_t>(i)});
    to = std::transform(names[i].begin(), names[i].end(), to,
                        [](char c) { return platform::LowerCase(c); });
  }
  // Byte order of std::string_view compares bytes as unsigned values, as CompareNoCase does.
  const auto keyOf = [&lowered](const Key& key) {
    return std::string_view(lowered).substr(key.offset, key.length);
  };
  const auto before = [&keyOf](const Key& a, const Key& b) { return keyOf(a) < keyOf(b); };
  // Directories often hand members out in order already: then the list is the table's order.
  const auto notBefore = [&before](const Key& a, const Key& b) { return !before(a, b); };
  if (std::adjacent_find(keys.begin(), keys.end(), notBefore) == keys.end()) return names;
  std::sort(keys.begin(), keys.end(), before);

  std::vector<std::string> ordered;
  ordered.reserve(names.size());
  for (size_t first = 0; first < keys.size();) {
    size_t end = first + 1;
    while (end < keys.size() && keyOf(keys[end]) == keyOf(keys[first])) ++end;
    const size_t start = ordered.size();
    for (size_t k = first; k < end; ++k) ordered.push_back(std::move(names[keys[k].index]));
    if (end - first > 1) {
      std::vector<std::string> equal(std::make_move_iterator(ordered.begin() + start),
                                     std::make_move_iterator(ordered.end()));
      directory::SortNames(equal);
      std::move(equal.begin(), equal.end(), ordered.begin() + start);
    }
    first = end;
  }
  return ordered;
}

// Whether a failed read is the fault of one member alone: its object, or one it names, does not
// exist, or a value does not fit its syntax or a reply. Such a fault marks a cell and the lookup
// goes on; any other (the connection, the server, the client) ends it.
bool IsMemberFault(int32_t code) {
  return code == directory::kErrNoSuchEntry || code == directory::kErrSyntaxViolation ||
         code == directory::kErrInsufficientBuffer;
}

void MarkUnreadable(MemberRow& row, int cell) {
  row.cells[static_cast<size_t>(cell - 1)] = kUnreadableMarker;
  row.unreadableCells = static_cast<uint8_t>(row.unreadableCells | (1u << (cell - 1)));
}

}  // namespace

directory::ReadAheadPlan PlanOfRows(const AppState& state, const std::string& object, Kind kind) {
  const KindDescriptor& descriptor = DescriptorOf(kind);
  directory::ReadAheadPlan plan{object, kMember, {}, {kDescription}};
  if (!descriptor.attributeCells.empty()) {
    directory::ReadAheadStep own;
    for (const AttributeCell& read : descriptor.attributeCells) {
      own.attributes.push_back(read.attribute);
    }
    if (descriptor.UserCell() != nullptr) own.follow = descriptor.phone->userAttribute;
    plan.steps.push_back(std::move(own));
  }
  if (!descriptor.phone) return plan;
  if (!state.PhoneChainEnabled) {
    plan.steps.push_back({{kPhoneAttribute}, ""});
    return plan;
  }
  // The phone chain: each attribute's value names the object of the next.
  for (const std::string& attribute : state.PhoneAttributes) {
    plan.steps.push_back({{attribute}, attribute});
  }
  if (!state.PhoneAttributes.empty()) plan.steps.back().follow.clear();
  return plan;
}

MemberListing::MemberListing(const AppState& state, std::string object, Kind kind,
                             ColumnCaptions captions)
    : state_(state),
      descriptor_(DescriptorOf(kind)),
      userCell_(descriptor_.UserCell()),
      cellsFilled_(descriptor_.CellsFilled()) {
  directory::DirectoryClient& client = *state.client;
  const directory::Context context = state.DirectoryContext;
  head_.kind = kind;
  head_.captions = std::move(captions);
  head_.objectName = std::move(object);
  client.dsReadAhead(context, PlanOfRows(state, head_.objectName, kind));
  members_ = MembersInTableOrder(
      directory::ReadAttributeTexts(client, context, head_.objectName, kMember, ';'));
  head_.description = directory::ReadAttributeText(client, context, head_.objectName, kDescription);
  head_.count = members_.size();
}

bool MemberListing::Next(MemberRow& row) {
  if (next_ >= members_.size()) return false;
  row = MemberRow{};
  row.caption = std::move(members_[next_]);
  ++next_;
  FillRow(row);
  return true;
}

void MemberListing::DropReadAhead() {
  state_.client->dsReadAhead(state_.DirectoryContext, directory::ReadAheadPlan{});
}

// Fills `row` with the values the kind's descriptor calls for, cell by cell. A read that fails
// for a fault of this member alone marks its cell and is noted, and the other cells are still
// read; a member that does not exist has all its cells marked. Other errors end the listing; the
// row keeps the cells read so far.
void MemberListing::FillRow(MemberRow& row) {
  directory::DirectoryClient& client = *state_.client;
  const directory::Context context = state_.DirectoryContext;
  const std::string& group = head_.objectName;
  const std::string& member = row.caption;
  const int cellsFilled = cellsFilled_;
  const AttributeCell* userCell = userCell_;

  // The error of a read for the row as the user is told it: naming the member whose row it is
  // and, for an object that does not exist, where its name came from.
  const auto traced = [&](const directory::DirectoryError& error) {
    if (NamedByValue(error, member)) return WithOrigin(error, state_, group, kMember);
    if (userCell != nullptr) {
      const std::string& user = row.cells[static_cast<size_t>(userCell->cell - 1)];
      if (!user.empty() && !row.CellUnreadable(userCell->cell) && NamedByValue(error, user)) {
        return WithOrigin(error, state_, member, userCell->attribute);
      }
    }
    if (error.object() != member) {
      return error.Extended("; while listing member \"" + member + "\" of \"" + group + "\"");
    }
    return error;
  };
  // Reads cell `cell` (1 to 4) with `read`; false when the member does not exist.
  const auto readCell = [&](int cell, const auto& read) {
    try {
      row.cells[static_cast<size_t>(cell - 1)] = read();
      return true;
    } catch (const directory::DirectoryError& error) {
      const directory::DirectoryError told = traced(error);
      if (!IsMemberFault(error.code())) throw told;
      unreadable_.Note(told.what());
      const bool missing = NamedByValue(error, member);
      for (int c = cell; c <= (missing ? cellsFilled : cell); ++c) MarkUnreadable(row, c);
      return !missing;
    } catch (const directory::DirectoryArgumentError& error) {
      unreadable_.Note(error.what());
      MarkUnreadable(row, cell);
      return true;
    }
  };

  for (const AttributeCell& read : descriptor_.attributeCells) {
    const bool exists = readCell(read.cell, [&]() -> std::string {
      switch (read.form) {
        case CellForm::TimeStamp:
          row.rawTime = directory::ReadAttributeInteger(client, context, member, read.attribute, 0);
          return directory::FormatTimeStamp(row.rawTime);
        case CellForm::Address:
          return WithoutBrackets(
              directory::ReadAttributeText(client, context, member, read.attribute));
        case CellForm::Text:
          break;
      }
      return directory::ReadAttributeText(client, context, member, read.attribute);
    });
    if (!exists) return;
  }
  if (!descriptor_.phone) return;
  const int phoneCell = descriptor_.phone->cell;
  if (userCell == nullptr) {
    readCell(phoneCell, [&] { return LookupPhone(state_, member); });
  } else if (row.CellUnreadable(userCell->cell)) {
    MarkUnreadable(row, phoneCell);  // the user is not known, nor is the user's phone
  } else {
    const std::string& user = row.cells[static_cast<size_t>(userCell->cell - 1)];
    readCell(phoneCell,
             [&] { return user.empty() ? std::string(kNoUserPhone) : LookupPhone(state_, user); });
  }
}

}  // namespace vorlix::core
