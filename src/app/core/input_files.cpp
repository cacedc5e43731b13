#include "app/core/input_files.h"

#include "platform/file_identity.h"

namespace vorlix::core {

std::vector<InputFile> InputFilesOf(const std::string& configurationPath,
                                    const directory::DirectorySource& source) {
  std::vector<InputFile> inputs;
  if (!configurationPath.empty()) inputs.push_back({configurationPath, "the configuration file"});
  if (!directory::IsLdapSource(source.source) && source.refusal.empty()) {
    inputs.push_back(
        {source.source.empty() ? directory::SampleTreePath() : source.source, "the tree file"});
  }
  return inputs;
}

std::optional<std::string> ExportOverInputRefusal(const std::string& target,
                                                  const std::vector<InputFile>& inputs) {
  for (const InputFile& input : inputs) {
    if (platform::SameFile(target, input.path)) {
      return "Cannot export to \"" + target + "\": it is " + input.role + " in use (" + input.path +
             "), which an export never replaces. Choose another file.";
    }
  }
  return std::nullopt;
}

}  // namespace vorlix::core
