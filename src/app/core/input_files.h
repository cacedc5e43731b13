#pragma once
// The files the program reads while it runs, which an export must never replace: the tree file
// of the embedded client and the configuration file in use.

#include <optional>
#include <string>
#include <vector>

#include "directory/directory_source.h"

namespace vorlix::core {

struct InputFile {
  std::string path;
  std::string role;  // "the tree file", "the configuration file"
};

// The inputs of a run: the configuration file (when it exists) and the tree file of the source
// (none for an LDAP server).
std::vector<InputFile> InputFilesOf(const std::string& configurationPath,
                                    const directory::DirectorySource& source);

// Why an export may not write `target`: it is one of the inputs, compared by device and inode.
// Nullopt when it may be written.
std::optional<std::string> ExportOverInputRefusal(const std::string& target,
                                                  const std::vector<InputFile>& inputs);

}  // namespace vorlix::core
