#include "cli/lookup_command.h"

#include <CLI/CLI.hpp>

#include "app/core/configuration.h"
#include "app/core/kinds.h"
#include "app/core/lookup.h"
#include "cli/command_options.h"
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

class Panels : public core::IStatusBar {
 public:
  explicit Panels(std::array<std::string, 3>& panels) : panels_(panels) {}
  void SetPanel(int index, const std::string& text) override {
    if (index >= 0 && index < 3) panels_[static_cast<size_t>(index)] = text;
  }

 private:
  std::array<std::string, 3>& panels_;
};

class ErrorStream : public core::IMessageSink {
 public:
  ErrorStream(std::ostream& err, ProgressLine& progress) : err_(err), progress_(progress) {}
  void ShowMessage(const std::string& text) override {
    progress_.Clear();
    err_ << text << '\n';
  }

 private:
  std::ostream& err_;
  ProgressLine& progress_;
};

}  // namespace

std::optional<int> KindOf(const std::string& name) {
  if (name == "group") return core::kKindGroup;
  if (name == "workstation") return core::kKindWorkstationGroup;
  return std::nullopt;
}

void AddLookupArguments(CLI::App& command, LookupArguments& arguments) {
  AddKindOption(command, arguments.kind);
  command.add_option("TEXT", arguments.text, "the start of the object's name ('' for any)")
      ->required();
  command.add_option("--pick", arguments.pick, "the full name to use when several objects match")
      ->type_name("NAME");
}

int ListedExitCode(const CliLookup& lookup) {
  return lookup.unreadable > 0 ? kExitUnreadable : kExitDone;
}

core::AppState StateFor(const CliContext& context) {
  core::AppState state;
  state.client = &context.client;
  state.DirectoryContext = context.context;
  core::ApplyPhoneSettings(context.options.configuration, state);
  return state;
}

int RunCliLookup(core::AppState& state, const LookupArguments& arguments, CliLookup& lookup,
                 CliContext& context) {
  std::ostream& err = context.err;
  lookup.kind = KindOf(arguments.kind).value_or(core::kKindGroup);
  lookup.captions = core::ColumnCaptionsForKind(lookup.kind, core::InitialColumnCaptions());
  Panels panels(lookup.panels);
  PickChoice choice(arguments.pick);
  core::NoBusyCursor cursor;
  ErrorStream messages(err, context.progress);
  core::LookupUi ui{lookup.table, panels, choice, cursor, messages, nullptr, nullptr};
  if (context.progress.shown()) {
    ui.progress = [&context](size_t listed, size_t total) {
      context.progress.Show(ProgressText(listed, total, "members read"));
      return true;
    };
    ui.clock = context.clock;
  }

  const core::LookupResult result = core::ToolButton4Click(state, arguments.text, lookup.kind, ui);
  context.progress.Clear();
  for (const std::string& notice : result.notices) err << "vorlix-cli: " << notice << '\n';
  lookup.unreadable = result.unreadable;
  switch (result.status) {
    case core::LookupStatus::Listed:
      return kExitDone;
    case core::LookupStatus::NoMatch:
      err << "No " << core::KindEntryText(lookup.kind) << " matches \"" << arguments.text
          << "\".\n";
      return kExitNoMatch;
    case core::LookupStatus::NotChosen:
      if (arguments.pick) {
        err << "\"" << *arguments.pick << "\" is not one of the matches:\n";
      } else {
        err << result.matches.size() << " objects match; choose one with --pick NAME:\n";
      }
      for (const auto& name : result.matches) err << name << '\n';
      return kExitSeveral;
    case core::LookupStatus::DirectoryError:
      return kExitDirectoryError;
    case core::LookupStatus::Refused:
      return kExitUsage;
    case core::LookupStatus::Cancelled:  // the CLI's reports never cancel
      break;
  }
  return kExitDirectoryError;
}

}  // namespace vorlix::cli
