#include "app/core/lookup.h"

#include <algorithm>
#include <utility>

#include "app/core/kinds.h"
#include "directory/directory_layer.h"
#include "directory/name_sort.h"
#include "directory/value_rendering.h"
#include "platform/text_encoding.h"

namespace vorlix::core {

namespace {

constexpr char kRoot[] = "[root]";
constexpr char kNamingAttribute[] = "CN";
constexpr char kNoUserPhone[] = "  -";
constexpr char kBrokenChainPhone[] = " -  ";
constexpr char kMember[] = "Member";
constexpr char kDescription[] = "Description";
constexpr char kPhone[] = "Telephone Number";
constexpr char kUser[] = "WM:NAME User";
constexpr char kRegistered[] = "WM:Last Registered Time";
constexpr char kAddress[] = "ZEN:INV IP Address";

std::string WithoutBrackets(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '[' || c == ']'; }),
             text.end());
  return text;
}

std::vector<std::string> SortedTexts(const directory::NameList& list) {
  std::vector<std::string> texts;
  texts.reserve(list.size());
  for (const auto& entry : list) texts.push_back(entry.text);
  directory::SortNames(texts);
  return texts;
}

// Whether the error is a read of `name` that failed because there is no such object.
bool NamedByValue(const directory::DirectoryError& error, const std::string& name) {
  return error.code() == directory::kErrNoSuchEntry && error.object() == name;
}

// The error going on to say that the missing object's name is a value of attribute of referrer,
// with the place in the directory source where the client finds that value.
directory::DirectoryError WithOrigin(const directory::DirectoryError& error, const AppState& state,
                                     const std::string& referrer, const std::string& attribute) {
  const std::string where =
      state.client->LocateValue(state.DirectoryContext, referrer, attribute, error.object());
  return error.Extended("; it is named by \"" + attribute + "\" of \"" + referrer + "\"" +
                        (where.empty() ? "" : " (" + where + ")"));
}

// The members and values a lookup could not read: how many, and the first reason.
struct Unreadable {
  size_t count = 0;
  std::string first;
  void Note(const std::string& reason) {
    if (count++ == 0) first = reason;
  }
};

// Whether a failed read is the fault of one member alone: its object, or one it names, does not
// exist, or a value does not fit its syntax or a reply. Such a fault marks a cell and the lookup
// goes on; any other (the connection, the server, the client) ends it.
bool IsMemberFault(int32_t code) {
  return code == directory::kErrNoSuchEntry || code == directory::kErrSyntaxViolation ||
         code == directory::kErrInsufficientBuffer;
}

// The error of a read for member's row as the user is told it: naming the member whose row it is
// and, for an object that does not exist, where its name came from.
directory::DirectoryError Traced(const directory::DirectoryError& error, const AppState& state,
                                 const std::string& group, const MemberRow& row, int kind) {
  const std::string& member = row.caption;
  if (NamedByValue(error, member)) return WithOrigin(error, state, group, kMember);
  if (kind == kKindWorkstationGroup && !row.cells[0].empty() && !row.CellUnreadable(1) &&
      NamedByValue(error, row.cells[0])) {
    return WithOrigin(error, state, member, kUser);
  }
  if (error.object() != member) {
    return error.Extended("; while listing member \"" + member + "\" of \"" + group + "\"");
  }
  return error;
}

void MarkUnreadable(MemberRow& row, int cell) {
  row.cells[static_cast<size_t>(cell - 1)] = kUnreadableMarker;
  row.unreadableCells = static_cast<uint8_t>(row.unreadableCells | (1u << (cell - 1)));
}

// Fills `row` with the values the kind calls for, cell by cell. A read that fails for a fault of
// this member alone marks its cell and is noted in `unreadable`, and the other cells are still
// read; a member that does not exist has all its cells marked. Other errors end the lookup.
void FillRow(const AppState& state, const std::string& group, MemberRow& row, int kind,
             Unreadable& unreadable) {
  directory::DirectoryClient& client = *state.client;
  const directory::Context context = state.DirectoryContext;
  const std::string& member = row.caption;
  const int cellsFilled = kind == kKindWorkstationGroup ? 4 : kind == kKindGroup ? 1 : 0;
  // Reads cell `cell` (1 to 4) with `read`; false when the member does not exist.
  const auto readCell = [&](int cell, const auto& read) {
    try {
      row.cells[static_cast<size_t>(cell - 1)] = read();
      return true;
    } catch (const directory::DirectoryError& error) {
      const directory::DirectoryError traced = Traced(error, state, group, row, kind);
      if (!IsMemberFault(error.code())) throw traced;
      unreadable.Note(traced.what());
      const bool missing = NamedByValue(error, member);
      for (int c = cell; c <= (missing ? cellsFilled : cell); ++c) MarkUnreadable(row, c);
      return !missing;
    } catch (const directory::DirectoryArgumentError& error) {
      unreadable.Note(error.what());
      MarkUnreadable(row, cell);
      return true;
    }
  };
  if (kind == kKindGroup) {
    readCell(1, [&] { return LookupPhone(state, member); });
  } else if (kind == kKindWorkstationGroup) {
    const bool exists =
        readCell(1, [&] { return directory::ReadAttributeText(client, context, member, kUser); }) &&
        readCell(2,
                 [&] {
                   row.rawTime =
                       directory::ReadAttributeInteger(client, context, member, kRegistered, 0);
                   return directory::FormatTimeStamp(row.rawTime);
                 }) &&
        readCell(3, [&] {
          return WithoutBrackets(directory::ReadAttributeText(client, context, member, kAddress));
        });
    if (!exists) return;
    if (row.CellUnreadable(1)) {
      MarkUnreadable(row, 4);  // the user is not known, nor is the user's phone
    } else {
      readCell(4, [&] {
        return row.cells[0].empty() ? std::string(kNoUserPhone) : LookupPhone(state, row.cells[0]);
      });
    }
  }
}

// Tells the user once about what the lookup could not read, and puts it in the result.
void TellUnreadable(const Unreadable& unreadable, LookupResult& result, LookupUi& ui) {
  if (unreadable.count == 0) return;
  result.unreadable = unreadable.count;
  result.firstUnreadable = unreadable.first;
  ui.messages.ShowMessage(UnreadableNotice(unreadable.count, unreadable.first));
}

// The reads FillRow makes, announced to the client before the member list is read (a client over
// a network keeps them in flight): the member's own values, then the phone of a user. The object's
// description is read with its members.
directory::ReadAheadPlan PlanOfRows(const AppState& state, const std::string& object, int kind) {
  directory::ReadAheadPlan plan{object, kMember, {}, {kDescription}};
  if (kind != kKindGroup && kind != kKindWorkstationGroup) return plan;
  if (kind == kKindWorkstationGroup) plan.steps.push_back({{kUser, kRegistered, kAddress}, kUser});
  if (!state.PhoneChainEnabled) {
    plan.steps.push_back({{kPhone}, ""});
    return plan;
  }
  // The phone chain: each attribute's value names the object of the next.
  for (const std::string& attribute : state.PhoneAttributes) {
    plan.steps.push_back({{attribute}, attribute});
  }
  if (!state.PhoneAttributes.empty()) plan.steps.back().follow.clear();
  return plan;
}

// Everything of the lookup that runs with the hourglass shown; directory errors leave it.
LookupResult RunLookup(AppState& state, const std::string& typed, int kind, LookupUi& ui) {
  LookupResult result;
  BusyCursorGuard busy(ui.cursor);
  directory::DirectoryClient& client = *state.client;
  const directory::Context context = state.DirectoryContext;

  result.matches = SortedTexts(directory::FindObjectsByName(client, context, kRoot, KindClass(kind),
                                                            kNamingAttribute, typed + "*"));
  if (result.matches.empty()) {
    result.status = LookupStatus::NoMatch;
    return result;
  }
  if (result.matches.size() == 1) {
    state.CurrentObjectName = result.matches.front();
    ui.statusBar.SetPanel(2, state.CurrentObjectName);
  } else {
    ui.cursor.Restore();
    const std::optional<std::string> chosen = ui.choice.Choose(result.matches);
    ui.cursor.Show();
    if (ui.processEvents) ui.processEvents();
    if (!chosen) {
      result.status = LookupStatus::NotChosen;
      return result;
    }
    state.CurrentObjectName = *chosen;
    ui.statusBar.SetPanel(2, state.CurrentObjectName);
    if (ui.setEditText) ui.setEditText(state.CurrentObjectName);
  }

  const std::string object = state.CurrentObjectName;
  client.dsReadAhead(context, PlanOfRows(state, object, kind));
  const directory::NameList memberList =
      directory::ReadAttributeList(client, context, object, kMember, ';');
  ui.cursor.Show();
  ui.statusBar.SetPanel(1, directory::ReadAttributeText(client, context, object, kDescription));
  const std::vector<std::string> members = SortedTexts(memberList);
  ui.statusBar.SetPanel(0, std::to_string(members.size()));

  result.status = LookupStatus::Listed;
  TableUpdateGuard update(ui.table);
  ProgressPace pace(ui.clock);
  // Panel 0 shows the count listed so far while the reports run, the member count afterwards
  // (also when a read fails), and the count listed after a cancel.
  struct CountPanel {
    IStatusBar& bar;
    const std::string total;
    bool counting = false;
    ~CountPanel() {
      if (counting) bar.SetPanel(0, total);
    }
  } countPanel{ui.statusBar, std::to_string(members.size())};
  size_t listed = 0;
  Unreadable unreadable;
  for (const std::string& member : members) {
    MemberRow row;
    row.caption = member;
    try {
      FillRow(state, object, row, kind, unreadable);
    } catch (...) {
      // The row was already there when the read failed: it stays with the cells read so far.
      ui.table.AddRow(row);
      throw;
    }
    ui.table.AddRow(row);
    ++listed;
    if (!ui.progress || listed == members.size() || !pace.Due()) continue;
    countPanel.counting = true;
    ui.statusBar.SetPanel(0, std::to_string(listed));
    if (!ui.progress(listed, members.size())) {
      // The reads announced for the members not listed are not wanted any more.
      client.dsReadAhead(context, directory::ReadAheadPlan{});
      countPanel.counting = false;
      ui.statusBar.SetPanel(1, CancelledListNotice(listed, members.size()));
      result.status = LookupStatus::Cancelled;
      TellUnreadable(unreadable, result, ui);
      return result;
    }
  }
  TellUnreadable(unreadable, result, ui);
  return result;
}

}  // namespace

std::optional<std::string> OverlongLookupText(const std::string& typed) {
  if (typed.size() <= kMaxLookupText) return std::nullopt;  // never more characters than bytes
  const size_t characters = platform::CharacterCount(typed);
  if (characters <= kMaxLookupText) return std::nullopt;
  return "The name to look up is " + std::to_string(characters) + " characters long; at most " +
         std::to_string(kMaxLookupText) + " characters can be searched for.";
}

std::string UnreadableNotice(size_t count, const std::string& firstReason) {
  const bool one = count == 1;
  return std::to_string(count) + (one ? " member or value" : " members or values") +
         " could not be read; " + (one ? "its cell shows" : "their cells show") + " \"" +
         kUnreadableMarker + "\". The first: " + firstReason;
}

std::string CancelledListNotice(size_t listed, size_t total) {
  return "Cancelled: " + std::to_string(listed) + " of " + std::to_string(total) +
         " members listed, the list is incomplete";
}

LookupResult ToolButton4Click(AppState& state, const std::string& typed, int kind, LookupUi& ui) {
  LookupResult result;
  if (std::optional<std::string> refusal = OverlongLookupText(typed)) {
    result.status = LookupStatus::Refused;
    result.message = std::move(*refusal);
    ui.messages.ShowMessage(result.message);
    return result;
  }
  ui.table.Clear();
  for (int panel = 0; panel < 3; ++panel) ui.statusBar.SetPanel(panel, "");
  ui.statusBar.SetNotice("");
  if (state.client == nullptr) return result;  // not started: nothing to search

  try {
    result = RunLookup(state, typed, kind, ui);
  } catch (const directory::DirectoryError& error) {
    result.status = LookupStatus::DirectoryError;
    result.message = error.what();
  } catch (const directory::DirectoryArgumentError& error) {
    result.status = LookupStatus::DirectoryError;
    result.message = error.what();
  }
  if (result.status == LookupStatus::DirectoryError) ui.messages.ShowMessage(result.message);
  // What the client had to tell during the lookup is told once, whichever way it ended.
  result.notices = state.client->TakeNotices();
  ui.statusBar.SetNotice(NoticeLine(result.notices));
  return result;
}

std::string NoticeLine(const std::vector<std::string>& notices) {
  std::string line;
  for (const std::string& notice : notices) line += (line.empty() ? "" : " ") + notice;
  return line;
}

std::string LookupPhone(const AppState& state, const std::string& user) {
  directory::DirectoryClient& client = *state.client;
  const directory::Context context = state.DirectoryContext;
  if (!state.PhoneChainEnabled) {
    return directory::ReadAttributeText(client, context, user, kPhone);
  }
  std::string current = user;
  std::string value;
  const std::string* namedBy = nullptr;  // the attribute whose value current is
  std::string referrer;
  for (const std::string& attribute : state.PhoneAttributes) {
    try {
      value = directory::ReadAttributeText(client, context, current, attribute);
    } catch (const directory::DirectoryError& error) {
      if (namedBy && NamedByValue(error, current))
        throw WithOrigin(error, state, referrer, *namedBy);
      throw;
    }
    if (value.empty()) break;
    referrer = std::move(current);
    namedBy = &attribute;
    current = value;
  }
  return value.empty() ? kBrokenChainPhone : value;
}

}  // namespace vorlix::core
