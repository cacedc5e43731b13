#include "cli/lookup_command.h"

#include <CLI/CLI.hpp>

#include "app/core/configuration.h"
#include "app/core/kinds.h"
#include "app/core/lookup.h"
#include "app/core/progress_pace.h"
#include "cli/command_options.h"
#include "directory/directory_layer.h"
#include "platform/case_fold.h"

namespace vorlix::cli {

namespace {

// The CLI's choice: the name given with --pick, when it is one of the matches.
class PickChoice : public core::IChoiceDialog {
 public:
  explicit PickChoice(const std::optional<std::string>& pick) : pick_(pick) {}

  std::optional<std::string> Choose(const std::vector<std::string>& names) override {
    if (!pick_) return std::nullopt;
    for (const auto& name : names) {
      if (name == *pick_) return name;
    }
    for (const auto& name : names) {
      if (platform::EqualFolded(name, *pick_)) return name;
    }
    return std::nullopt;
  }

 private:
  std::optional<std::string> pick_;
};

}  // namespace

std::optional<core::Kind> KindOf(const std::string& name) {
  if (name == "group") return core::Kind::Group;
  if (name == "workstation") return core::Kind::WorkstationGroup;
  return std::nullopt;
}

void AddLookupArguments(CLI::App& command, LookupArguments& arguments) {
  AddKindOption(command, arguments.kind);
  command.add_option("TEXT", arguments.text, "the start of the object's name ('' for any)")
      ->required();
  command.add_option("--pick", arguments.pick, "the full name to use when several objects match")
      ->type_name("NAME");
}

core::AppState StateFor(const CliContext& context) {
  core::AppState state;
  state.client = &context.client;
  state.DirectoryContext = context.context;
  core::ApplyPhoneSettings(context.options.configuration, state);
  return state;
}

int TellDirectoryError(const std::string& message, CliContext& context) {
  context.progress.Clear();
  context.messages.Error(message);
  return kExitDirectoryError;
}

int OpenCliLookup(core::AppState& state, const LookupArguments& arguments, CliLookup& lookup,
                  CliContext& context) {
  const MessagePrinter& messages = context.messages;
  lookup.kind = KindOf(arguments.kind).value_or(core::Kind::Group);
  if (const std::optional<std::string> refusal = core::OverlongLookupText(arguments.text)) {
    messages.Error(*refusal);
    return kExitUsage;
  }
  PickChoice choice(arguments.pick);
  core::NoBusyCursor cursor;
  core::LookupResult result;
  try {
    const std::optional<std::string> chosen =
        core::ChooseObject(state, arguments.text, lookup.kind, {choice, cursor}, result);
    if (chosen) {
      lookup.listing = std::make_unique<core::MemberListing>(
          state, *chosen, lookup.kind,
          core::ColumnCaptionsForKind(lookup.kind, core::InitialColumnCaptions()));
      return kExitDone;
    }
  } catch (const directory::DirectoryError& error) {
    return TellDirectoryError(error.what(), context);
  } catch (const directory::DirectoryArgumentError& error) {
    return TellDirectoryError(error.what(), context);
  }
  if (result.status == core::LookupStatus::NoMatch) {
    messages.Error("No " + std::string(core::KindEntryText(lookup.kind)) + " matches \"" +
                   arguments.text + "\".");
    return kExitNoMatch;
  }
  if (arguments.pick) {
    messages.Error("\"" + *arguments.pick + "\" is not one of the matches:");
  } else {
    messages.Error(std::to_string(result.matches.size()) +
                   " objects match; choose one with --pick NAME:");
  }
  // The names are what the user copies into --pick: one a line, as they are.
  for (const auto& name : result.matches) messages.Data(name + '\n');
  return kExitSeveral;
}

int TellUnreadable(const CliLookup& lookup, CliContext& context) {
  const core::Unreadable& unreadable = lookup.listing->Unread();
  if (unreadable.count == 0) return kExitDone;
  context.progress.Clear();
  context.messages.Notice(core::UnreadableNotice(unreadable.count, unreadable.first));
  return kExitUnreadable;
}

int ReadCliRows(CliLookup& lookup, CliContext& context,
                const std::function<void(const core::MemberRow&)>& take) {
  core::MemberListing& listing = *lookup.listing;
  const size_t total = listing.Head().count;
  core::ProgressPace pace(context.clock);
  core::MemberRow row;
  try {
    while (listing.Next(row)) {
      take(row);
      if (context.progress.shown() && pace.Due()) {
        context.progress.Show(ProgressText(listing.Listed(), total, "members read"));
      }
    }
  } catch (const directory::DirectoryError& error) {
    return TellDirectoryError(error.what(), context);
  } catch (const directory::DirectoryArgumentError& error) {
    return TellDirectoryError(error.what(), context);
  }
  context.progress.Clear();
  return kExitDone;
}

}  // namespace vorlix::cli
