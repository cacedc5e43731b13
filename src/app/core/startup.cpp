#include "app/core/startup.h"

#include "directory/directory_layer.h"

namespace vorlix::core {

StartupResult RunStartupStep(AppState& state, const Configuration& configuration) {
  StartupResult result;
  const directory::DirectorySource source = DirectorySourceOf(configuration);
  const std::string notice = ConfigurationMessage(configuration, source);
  if (!notice.empty()) result.messages.push_back(notice);
  if (state.client == nullptr) state.SetClient(directory::MakeDirectoryClient(source));
  directory::DirectoryClient& client = *state.client;

  if (client.calStartup(0, 0) != 0) {
    std::string message = kClientMissingMessage;
    const std::string reason = client.StartupFailureReason();
    if (!reason.empty()) message += "\n" + reason;
    result.messages.push_back(message);
    return result;
  }
  result.clientStarted = true;
  client.clxStartup(0, 0);

  const directory::OpenContextResult opened =
      directory::OpenDirectoryContext(client, directory::kPlainContext);
  state.DirectoryContext = opened.context;
  state.ContextOpened = opened.context != directory::kNoContext;
  if (!opened.ok) result.closeWindow = true;

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
  if (state.shutDown || state.client == nullptr) return;
  state.shutDown = true;
  if (state.ContextOpened) {
    state.client->dsCloseContext(state.DirectoryContext);
    state.ContextOpened = false;
  }
  state.client->clxShutdown(0);
  state.client->calShutdown(0);
}

}  // namespace vorlix::core
