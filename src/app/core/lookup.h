#pragma once
// The lookup: find the objects of a kind whose name begins with the typed text, let the user pick
// one when several match, and list its members (a MemberListing) in the member table.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "app/core/busy_cursor.h"
#include "app/core/choice.h"
#include "app/core/kinds.h"
#include "app/core/listing.h"
#include "app/core/member_table.h"
#include "app/core/member_values.h"
#include "app/core/message_sink.h"
#include "app/core/progress_pace.h"
#include "app/core/status_bar.h"

namespace vorlix::core {

// Longest text that can be looked up: the directory's 256-character pattern less the two "*".
inline constexpr size_t kMaxLookupText = 254;

// What choosing the object needs of the window: the choice among several matches, and the
// hourglass, which is put away while the user chooses.
struct ChoiceUi {
  IChoiceDialog& choice;
  IBusyCursor& cursor;
  // Sets the text of the name entry box; called with the chosen full name after a choice.
  std::function<void(const std::string&)> setEditText = nullptr;
  // Lets pending window messages be handled (the window repaints after the choice closed).
  std::function<void()> processEvents = nullptr;
};

// What the lookup works on besides the state: the window's parts.
struct LookupUi {
  IMemberTable& table;
  IStatusBar& statusBar;
  IChoiceDialog& choice;
  IBusyCursor& cursor;
  IMessageSink& messages;
  std::function<void(const std::string&)> setEditText;
  std::function<void()> processEvents;
  // Called while the members' rows are added, once the rows have taken a tenth of a second and
  // then at most ten times a second, after the count panel got the count listed so far: `listed`
  // of `total` rows are in the table. Answers whether to go on; false cancels the lookup, and the
  // rows listed so far stay. Empty: no reports.
  std::function<bool(size_t listed, size_t total)> progress = nullptr;
  // The clock that paces the reports; empty: the system's.
  SteadyClock clock = nullptr;
  // The captions the table shows, which the listing carries.
  ColumnCaptions captions = InitialColumnCaptions();
};

enum class LookupStatus {
  Listed,          // an object was chosen and its members listed
  NoMatch,         // nothing matched; the table stays empty
  NotChosen,       // several matched and the choice was cancelled
  DirectoryError,  // a directory read failed; rows added so far stay, the message was shown
  Refused,         // the typed text was refused (too long); the message was shown
  Cancelled,       // cancelled while the rows were added; the rows listed so far stay
};

struct LookupResult {
  LookupStatus status = LookupStatus::NoMatch;
  std::vector<std::string> matches;  // the matching full names, sorted
  std::string message;               // the message shown, for DirectoryError and Refused
  // The listing's head, once the member list was read (Listed and Cancelled).
  std::optional<Listing> listing;
  // What the directory client had to tell during the lookup, also shown as the status bar's
  // notice (parts of the directory that were not searched, ...).
  std::vector<std::string> notices;
  // Members that do not exist and values that could not be read, each marked in its row (Listed
  // and Cancelled); the user was told once, with the first reason.
  size_t unreadable = 0;
  std::string firstUnreadable;
};

// The message refusing `typed` when it has more than kMaxLookupText characters (not bytes: an
// accented letter is one character); nothing when it can be looked up.
std::optional<std::string> OverlongLookupText(const std::string& typed);

// The description panel after a cancelled lookup: how many of the members are listed, and that the
// list is incomplete.
std::string CancelledListNotice(size_t listed, size_t total);

// The directory client's notices as one line for the status bar; empty when there are none.
std::string NoticeLine(const std::vector<std::string>& notices);

// What the user is told after a lookup that could not read `count` members or values: how many,
// how they are marked, and the first reason.
std::string UnreadableNotice(size_t count, const std::string& firstReason);

// Finds the objects of `kind` whose name begins with `typed` and takes the only one, or the one
// the user chooses among several (the hourglass put away meanwhile). The chosen object becomes
// state.CurrentObjectName. Nothing when none matched (result.status NoMatch) or none was chosen
// (NotChosen); result.matches has the matches, sorted. Directory errors are thrown.
std::optional<std::string> ChooseObject(AppState& state, const std::string& typed, Kind kind,
                                        const ChoiceUi& ui, LookupResult& result);

// The Find command over `typed` and the kind chosen: the table gets the chosen object's members,
// the status panels its member count, description and full name. A member that does not exist,
// or a value of it that cannot be read, does not end the lookup: its row is listed with
// kUnreadableMarker in the cells that could not be read, and the user is told once at the end.
// Errors of the connection or the server end it.
LookupResult ListMembers(AppState& state, const std::string& typed, Kind kind, LookupUi& ui);

}  // namespace vorlix::core
