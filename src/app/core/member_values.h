#pragma once
// The reads of a member's values that need more than one attribute: the phone of a user through
// the configured chain, and errors that say where a missing object's name came from.

#include <string>

#include "app/core/app_state.h"
#include "directory/directory_layer.h"

namespace vorlix::core {

// The attribute that holds a phone number when no chain is configured.
inline constexpr char kPhoneAttribute[] = "Telephone Number";

// The phone text of a user: its "Telephone Number", or with the chain on the value at the end of
// the configured attribute chain (" -  " where the chain breaks or is empty).
std::string LookupPhone(const AppState& state, const std::string& user);

// Whether the error is a read of `name` that failed because there is no such object.
bool NamedByValue(const directory::DirectoryError& error, const std::string& name);

// The error going on to say that the missing object's name is a value of `attribute` of
// `referrer`, with the place in the directory source where the client finds that value.
directory::DirectoryError WithOrigin(const directory::DirectoryError& error, const AppState& state,
                                     const std::string& referrer, const std::string& attribute);

}  // namespace vorlix::core
