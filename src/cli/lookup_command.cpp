#include "cli/lookup_command.h"

#include <strings.h>

#include "app/core/kinds.h"
#include "app/core/lookup.h"

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
      if (strcasecmp(name.c_str(), pick_->c_str()) == 0) return name;
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
  explicit ErrorStream(std::ostream& err) : err_(err) {}
  void ShowMessage(const std::string& text) override { err_ << text << '\n'; }

 private:
  std::ostream& err_;
};

bool IsExtra(const CommandOptions& extra, const std::string& arg) {
  for (const auto& option : extra) {
    if (option == arg) return true;
  }
  return false;
}

}  // namespace

std::optional<int> KindOf(const std::string& name) {
  if (name == "group") return core::kKindGroup;
  if (name == "workstation") return core::kKindWorkstationGroup;
  return std::nullopt;
}

std::optional<LookupArguments> ParseLookupArguments(const std::vector<std::string>& args,
                                                    const CommandOptions& extra,
                                                    std::string& error) {
  LookupArguments parsed;
  bool kindSeen = false, textSeen = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--kind" || arg == "--pick" || IsExtra(extra, arg);
    if (takesValue && i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    if (arg == "--kind") {
      const auto kind = KindOf(args[++i]);
      if (!kind) {
        error = "--kind must be group or workstation, not \"" + args[i] + "\"";
        return std::nullopt;
      }
      parsed.kind = *kind;
      kindSeen = true;
    } else if (arg == "--pick") {
      parsed.pick = args[++i];
    } else if (takesValue) {
      parsed.rest.push_back(arg);
      parsed.rest.push_back(args[++i]);
    } else if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return std::nullopt;
    } else if (textSeen) {
      error = "more than one name to look up (\"" + parsed.text + "\" and \"" + arg + "\")";
      return std::nullopt;
    } else {
      parsed.text = arg;
      textSeen = true;
    }
  }
  if (!kindSeen) {
    error = "--kind group|workstation is missing";
    return std::nullopt;
  }
  if (!textSeen) {
    error = "the name to look up is missing";
    return std::nullopt;
  }
  return parsed;
}

int RunCliLookup(core::AppState& state, const LookupArguments& arguments, CliLookup& lookup,
                 std::ostream& err) {
  lookup.captions = core::ColumnCaptionsForKind(arguments.kind, core::InitialColumnCaptions());
  Panels panels(lookup.panels);
  PickChoice choice(arguments.pick);
  core::NoBusyCursor cursor;
  ErrorStream messages(err);
  core::LookupUi ui{lookup.table, panels, choice, cursor, messages, nullptr, nullptr};

  const core::LookupResult result =
      core::ToolButton4Click(state, arguments.text, arguments.kind, ui);
  switch (result.status) {
    case core::LookupStatus::Listed:
      return kExitDone;
    case core::LookupStatus::NoMatch:
      err << "No " << core::KindEntryText(arguments.kind) << " matches \"" << arguments.text
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
  }
  return kExitDirectoryError;
}

}  // namespace vorlix::cli
