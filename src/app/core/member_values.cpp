#include "app/core/member_values.h"

namespace vorlix::core {

namespace {

constexpr char kBrokenChainPhone[] = " -  ";

}  // namespace

bool NamedByValue(const directory::DirectoryError& error, const std::string& name) {
  return error.code() == directory::kErrNoSuchEntry && error.object() == name;
}

directory::DirectoryError WithOrigin(const directory::DirectoryError& error, const AppState& state,
                                     const std::string& referrer, const std::string& attribute) {
  const std::string where =
      state.client->LocateValue(state.DirectoryContext, referrer, attribute, error.object());
  return error.Extended("; it is named by \"" + attribute + "\" of \"" + referrer + "\"" +
                        (where.empty() ? "" : " (" + where + ")"));
}

std::string LookupPhone(const AppState& state, const std::string& user) {
  directory::DirectoryClient& client = *state.client;
  const directory::Context context = state.DirectoryContext;
  if (!state.PhoneChainEnabled) {
    static const std::string phone = kPhoneAttribute;  // spelled once for all the reads
    return directory::ReadAttributeText(client, context, user, phone);
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
