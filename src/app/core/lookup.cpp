#include "app/core/lookup.h"

#include <memory>
#include <utility>

#include "directory/directory_layer.h"
#include "directory/name_sort.h"
#include "platform/text_encoding.h"

namespace vorlix::core {

namespace {

constexpr char kRoot[] = "[root]";
constexpr char kNamingAttribute[] = "CN";

std::vector<std::string> SortedTexts(const directory::NameList& list) {
  std::vector<std::string> texts;
  texts.reserve(list.size());
  for (const auto& entry : list) texts.push_back(entry.text);
  directory::SortNames(texts);
  return texts;
}

// Tells the user once about what the lookup could not read, and puts it in the result.
void TellUnreadable(const Unreadable& unreadable, LookupResult& result, LookupUi& ui) {
  if (unreadable.count == 0) return;
  result.unreadable = unreadable.count;
  result.firstUnreadable = unreadable.first;
  ui.messages.ShowMessage(UnreadableNotice(unreadable.count, unreadable.first));
}

// Everything of the lookup that runs with the hourglass shown; directory errors leave it.
LookupResult RunLookup(AppState& state, const std::string& typed, Kind kind, LookupUi& ui) {
  LookupResult result;
  BusyCursorGuard busy(ui.cursor);
  const std::optional<std::string> chosen = ChooseObject(
      state, typed, kind, ChoiceUi{ui.choice, ui.cursor, ui.setEditText, ui.processEvents}, result);
  if (!chosen) return result;
  ui.statusBar.SetPanel(StatusPanel::ObjectName, *chosen);

  MemberListing listing(state, *chosen, kind, ui.captions);
  const Listing& head = listing.Head();
  result.listing = head;
  ui.cursor.Show();
  ui.statusBar.SetPanel(StatusPanel::Description, head.description);
  ui.statusBar.SetPanel(StatusPanel::Count, std::to_string(head.count));

  result.status = LookupStatus::Listed;
  TableUpdateGuard update(ui.table);
  ProgressPace pace(ui.clock);
  // The count panel shows the count listed so far while the reports run, the member count
  // afterwards (also when a read fails), and the count listed after a cancel.
  struct CountPanel {
    IStatusBar& bar;
    const std::string total;
    bool counting = false;
    ~CountPanel() {
      if (counting) bar.SetPanel(StatusPanel::Count, total);
    }
  } countPanel{ui.statusBar, std::to_string(head.count)};
  MemberRow row;
  for (;;) {
    try {
      if (!listing.Next(row)) break;
    } catch (...) {
      // The row was already there when the read failed: it stays with the cells read so far.
      ui.table.AddRow(row);
      throw;
    }
    ui.table.AddRow(row);
    const size_t listed = listing.Listed();
    if (!ui.progress || listed == head.count || !pace.Due()) continue;
    countPanel.counting = true;
    ui.statusBar.SetPanel(StatusPanel::Count, std::to_string(listed));
    if (!ui.progress(listed, head.count)) {
      listing.DropReadAhead();
      countPanel.counting = false;
      ui.statusBar.SetPanel(StatusPanel::Description, CancelledListNotice(listed, head.count));
      result.status = LookupStatus::Cancelled;
      TellUnreadable(listing.Unread(), result, ui);
      return result;
    }
  }
  TellUnreadable(listing.Unread(), result, ui);
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

std::optional<std::string> ChooseObject(AppState& state, const std::string& typed, Kind kind,
                                        const ChoiceUi& ui, LookupResult& result) {
  result.matches =
      SortedTexts(directory::FindObjectsByName(*state.client, state.DirectoryContext, kRoot,
                                               KindClass(kind), kNamingAttribute, typed + "*"));
  if (result.matches.empty()) {
    result.status = LookupStatus::NoMatch;
    return std::nullopt;
  }
  if (result.matches.size() == 1) {
    state.CurrentObjectName = result.matches.front();
    return state.CurrentObjectName;
  }
  ui.cursor.Restore();
  const std::optional<std::string> chosen = ui.choice.Choose(result.matches);
  ui.cursor.Show();
  if (ui.processEvents) ui.processEvents();
  if (!chosen) {
    result.status = LookupStatus::NotChosen;
    return std::nullopt;
  }
  state.CurrentObjectName = *chosen;
  if (ui.setEditText) ui.setEditText(state.CurrentObjectName);
  return state.CurrentObjectName;
}

LookupResult ListMembers(AppState& state, const std::string& typed, Kind kind, LookupUi& ui) {
  LookupResult result;
  if (std::optional<std::string> refusal = OverlongLookupText(typed)) {
    result.status = LookupStatus::Refused;
    result.message = std::move(*refusal);
    ui.messages.ShowMessage(result.message);
    return result;
  }
  ui.table.Clear();
  for (const StatusPanel panel : kStatusPanels) ui.statusBar.SetPanel(panel, "");
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

}  // namespace vorlix::core
