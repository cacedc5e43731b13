#include "cli/directory_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <variant>

#include "app/core/lookup.h"
#include "cli/command_options.h"
#include "directory/directory_layer.h"
#include "directory/name_sort.h"
#include "directory/value_rendering.h"

namespace vorlix::cli {

namespace {

struct FindArguments {
  std::string kind;
  std::string text;
};

struct ReadArguments {
  bool list = false;
  bool integer = false;
  std::string object;
  std::string attribute;
};

int RunFind(CliContext& context, const FindArguments& arguments) {
  const std::string& text = arguments.text;
  // Refused as the lookup refuses it, before the two "*" make the pattern longer still.
  if (const std::optional<std::string> refusal = core::OverlongLookupText(text)) {
    context.messages.Error(*refusal);
    return kExitUsage;
  }
  directory::NameList names = directory::FindObjectsByName(
      context.client, context.context, "[root]", ClassOfKind(arguments.kind), "CN", text + "*");
  directory::SortNames(names);
  for (const directory::NameEntry& name : names) {
    if (!(context.out << name.text << '\n')) break;
  }
  return names.empty() ? kExitNoMatch : kExitDone;
}

void PrintList(CliContext& context, const ReadArguments& arguments) {
  for (const directory::NameEntry& entry : directory::ReadAttributeList(
           context.client, context.context, arguments.object, arguments.attribute, ';')) {
    // An address entry has no text of its own: show the address it carries.
    if (const auto* address = std::get_if<directory::TNetAddress>(&entry.attached)) {
      context.out << directory::FormatNetAddress(address->addressType, address->address.size(),
                                                 address->address)
                  << '\n';
    } else {
      context.out << entry.text << '\n';
    }
    if (!context.out) return;
  }
}

int RunRead(CliContext& context, const ReadArguments& arguments) {
  // Names beyond the directory's limits are bad input, as an over-long find text is.
  try {
    directory::CheckReadNames(arguments.object, arguments.attribute);
  } catch (const directory::DirectoryArgumentError& error) {
    context.messages.Error(error.what());
    return kExitUsage;
  }
  if (arguments.list) {
    PrintList(context, arguments);
  } else if (arguments.integer) {
    context.out << directory::ReadAttributeInteger(context.client, context.context,
                                                   arguments.object, arguments.attribute, 0)
                << '\n';
  } else {
    context.out << directory::ReadAttributeText(context.client, context.context, arguments.object,
                                                arguments.attribute)
                << '\n';
  }
  return kExitDone;
}

}  // namespace

CommandRun DeclareTree(CLI::App&) {
  return [](CliContext& context) {
    context.out << directory::ReadTreeName(context.client, context.context) << '\n';
    return kExitDone;
  };
}

CommandRun DeclareFind(CLI::App& command) {
  auto arguments = std::make_shared<FindArguments>();
  AddKindOption(command, arguments->kind);
  command.add_option("TEXT", arguments->text, "the start of the name ('' for every object)")
      ->required();
  return [arguments](CliContext& context) { return RunFind(context, *arguments); };
}

CommandRun DeclareRead(CLI::App& command) {
  auto arguments = std::make_shared<ReadArguments>();
  CLI::Option* list = command.add_flag("--list", arguments->list, "read a list, one entry a line");
  CLI::Option* integer =
      command.add_flag("--integer", arguments->integer, "read an integer (0 when missing)");
  list->excludes(integer);
  command.add_option("OBJECT", arguments->object, "the object's full name")->required();
  command.add_option("ATTRIBUTE", arguments->attribute, "the attribute's name")->required();
  return [arguments](CliContext& context) { return RunRead(context, *arguments); };
}

}  // namespace vorlix::cli
