#pragma once
// Option helpers shared by the commands, so that every command spells and checks its options alike.

#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace vorlix::cli {

// Whether the command line must give an option.
enum class Presence { kOptional, kRequired };

// --NAME VALUE where VALUE must be one of `choices`; the message of a bad value lists them.
// An optional `value` keeps its initial text as the default when the option is not given.
void AddChoiceOption(CLI::App& command, const std::string& name, std::string& value,
                     const std::vector<std::string>& choices, const std::string& description,
                     Presence presence);

// --kind group|workstation, required.
void AddKindOption(CLI::App& command, std::string& kind);

// The class searched for a --kind value.
std::string ClassOfKind(const std::string& kind);

}  // namespace vorlix::cli
