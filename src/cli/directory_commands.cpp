#include "cli/directory_commands.h"

#include <ostream>
#include <variant>

#include "app/core/kinds.h"
#include "app/core/lookup.h"
#include "cli/lookup_command.h"
#include "directory/directory_layer.h"
#include "directory/name_sort.h"
#include "directory/value_rendering.h"

namespace vorlix::cli {

int RunTree(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) throw UsageError("tree takes no arguments");
  context.out << directory::ReadTreeName(context.client, context.context) << '\n';
  return kExitDone;
}

std::string ClassOfKind(const std::string& kind) {
  if (const auto found = KindOf(kind)) return core::KindClass(*found);
  throw UsageError("unknown kind \"" + kind + "\": give group or workstation");
}

int RunFind(CliContext& context, const std::vector<std::string>& args) {
  std::string kind, text;
  bool haveText = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--kind") {
      if (i + 1 >= args.size()) throw UsageError("--kind needs a value");
      kind = args[++i];
    } else if (!haveText) {
      text = args[i];
      haveText = true;
    } else {
      throw UsageError("find takes one TEXT");
    }
  }
  if (kind.empty()) throw UsageError("find needs --kind group|workstation");
  if (!haveText) throw UsageError("find needs a TEXT (it may be empty: '')");
  // Refused as the lookup refuses it, before the two "*" make the pattern longer still.
  if (text.size() > core::kMaxLookupText) {
    context.err << core::OverlongLookupTextMessage(text.size()) << '\n';
    return kExitUsage;
  }
  directory::NameList names = directory::FindObjectsByName(
      context.client, context.context, "[root]", ClassOfKind(kind), "CN", text + "*");
  directory::SortNames(names);
  for (const directory::NameEntry& name : names) context.out << name.text << '\n';
  return names.empty() ? kExitNoMatch : kExitDone;
}

int RunRead(CliContext& context, const std::vector<std::string>& args) {
  enum class Shape { kText, kList, kInteger } shape = Shape::kText;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg == "--list")
      shape = Shape::kList;
    else if (arg == "--integer")
      shape = Shape::kInteger;
    else if (arg.rfind("--", 0) == 0)
      throw UsageError("unknown option " + arg + " for read");
    else
      operands.push_back(arg);
  }
  if (operands.size() != 2) throw UsageError("read needs OBJECT and ATTRIBUTE");
  const std::string& object = operands[0];
  const std::string& attribute = operands[1];
  switch (shape) {
    case Shape::kText:
      context.out << directory::ReadAttributeText(context.client, context.context, object,
                                                  attribute)
                  << '\n';
      break;
    case Shape::kInteger:
      context.out << directory::ReadAttributeInteger(context.client, context.context, object,
                                                     attribute, 0)
                  << '\n';
      break;
    case Shape::kList:
      for (const directory::NameEntry& entry :
           directory::ReadAttributeList(context.client, context.context, object, attribute, ';')) {
        // An address entry has no text of its own: show the address it carries.
        if (const auto* address = std::get_if<directory::TNetAddress>(&entry.attached)) {
          context.out << directory::FormatNetAddress(address->addressType, address->address.size(),
                                                     address->address)
                      << '\n';
        } else {
          context.out << entry.text << '\n';
        }
      }
      break;
  }
  return kExitDone;
}

}  // namespace vorlix::cli
