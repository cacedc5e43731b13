#include "app/core/startup.h"

#include "directory/directory_layer.h"

namespace vorlix::core {

StartupResult RunStartupStep(AppState& state, const Configuration& configuration) {
  StartupResult result;
  const directory::DirectorySource source = DirectorySourceOf(configuration);
  const std::string notice = ConfigurationMessage(configuration, source);
  if (!notice.empty()) result.messages.push_back(notice);
  if (state.client == nullptr) {
    state.SetClient(directory::MakeDirectoryClient(source));
    state.SampleTree = OpensSampleTree(source);
  }
  directory::DirectoryClient& client = *state.client;
  if (state.session == nullptr) state.session = std::make_unique<DirectorySession>(client);

  const SessionStart start = state.session->Start();
  result.notices = client.TakeNotices();
  if (start == SessionStart::ClientMissing) {
    std::string message = kClientMissingMessage;
    const std::string reason = client.StartupFailureReason();
    if (!reason.empty()) message += "\n" + reason;
    for (const std::string& notice : result.notices) message += "\n" + notice;
    result.notices.clear();
    result.messages.push_back(message);
    return result;
  }
  result.clientStarted = true;
  state.DirectoryContext = state.session->Context();
  if (start == SessionStart::ContextFailed) result.closeWindow = true;

  try {
    state.TreeName = directory::ReadTreeName(client, state.DirectoryContext);
  } catch (const std::exception& error) {
    result.messages.push_back(error.what());
    return result;
  }
  ApplyPhoneSettings(configuration, state);
  result.completed = true;
  return result;
}

void Shutdown(AppState& state) {
  if (state.session != nullptr) state.session->Shutdown();
}

}  // namespace vorlix::core
