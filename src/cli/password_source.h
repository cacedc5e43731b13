#pragma once
// Where vorlix-cli gets the password for binding to an LDAP server; it is never read from the
// configuration file. In this order: the first line of the file named by --password-file (at
// most 64 KB; a folder or a device is refused by what it is), the environment variable
// VORLIX_LDAP_PASSWORD, a prompt without echo when the standard input is a terminal.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "cli/message_printer.h"
#include "directory/directory_source.h"

namespace vorlix::cli {

inline constexpr char kPasswordVariable[] = "VORLIX_LDAP_PASSWORD";
// A password file larger than this is refused rather than read.
inline constexpr std::size_t kMaxPasswordFileBytes = 64 * 1024;

struct PasswordSources {
  std::string passwordFile;  // --password-file; empty when not given
  // The environment variable's value; nullopt when it is not set.
  std::function<std::optional<std::string>()> environment;
  // Asks on the terminal without echo; nullopt when there is no terminal or the input ended.
  std::function<std::optional<std::string>(const std::string& prompt)> prompt;
};

// The sources of the running program: the real environment and the real terminal.
PasswordSources ProcessPasswordSources(const std::string& passwordFile);

// The password for binding as source.bindDn; nullopt with the reason in problem when none can
// be had.
std::optional<std::string> ReadPassword(const PasswordSources& sources,
                                        const directory::DirectorySource& source,
                                        std::string& problem);

// Sets source.password when the source is an LDAP server bound with a DN (anonymous binds and
// LDIF files need none); false with the reason told when no password can be had.
bool SupplyPassword(directory::DirectorySource& source, const PasswordSources& sources,
                    const MessagePrinter& messages);

// Reads a line from the terminal on standard input with echo off, the prompt on standard error;
// nullopt when standard input is no terminal.
std::optional<std::string> PromptWithoutEcho(const std::string& prompt);

}  // namespace vorlix::cli
