#include "cli/command_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "app/core/kinds.h"
#include "cli/lookup_command.h"

namespace vorlix::cli {

namespace {

std::string Joined(const std::vector<std::string>& choices, const char* separator) {
  std::string text;
  for (const std::string& choice : choices) text += (text.empty() ? "" : separator) + choice;
  return text;
}

}  // namespace

void AddChoiceOption(CLI::App& command, const std::string& name, std::string& value,
                     const std::vector<std::string>& choices, const std::string& description,
                     Presence presence) {
  CLI::Validator oneOf(
      [choices](std::string& given) -> std::string {
        if (std::find(choices.begin(), choices.end(), given) != choices.end()) return {};
        return "\"" + given + "\" is not one of " + Joined(choices, ", ");
      },
      "", "one of");
  CLI::Option* option =
      command.add_option(name, value, description)->type_name(Joined(choices, "|"))->check(oneOf);
  if (presence == Presence::kRequired) {
    option->required();
  } else if (!value.empty()) {
    option->default_str(value);
  }
}

void AddKindOption(CLI::App& command, std::string& kind) {
  AddChoiceOption(command, "--kind", kind, {"group", "workstation"},
                  "the kind of object: a group or a workstation group", Presence::kRequired);
}

std::string ClassOfKind(const std::string& kind) {
  if (const auto found = KindOf(kind)) return core::KindClass(*found);
  throw UsageError("unknown kind \"" + kind + "\": give group or workstation");
}

}  // namespace vorlix::cli
