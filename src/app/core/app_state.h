#pragma once
// The program-wide state that the start-up step, the lookup and the commands share. The main
// window (or the CLI) owns one for the life of the program.

#include <memory>
#include <string>
#include <vector>

#include "directory/directory_client.h"

namespace vorlix::core {

struct AppState {
  // The directory client every operation goes through. `client` is what the code uses; when the
  // state owns the client, `ownedClient` holds it and `client` points at it (see SetClient).
  directory::DirectoryClient* client = nullptr;
  std::unique_ptr<directory::DirectoryClient> ownedClient;

  directory::Context DirectoryContext = directory::kNoContext;
  bool ContextOpened = false;
  std::string TreeName;  // at most 201 characters, as the context reports it

  bool PhoneChainEnabled = false;
  std::vector<std::string> PhoneAttributes;  // attribute names of the phone chain, in file order

  std::string CurrentObjectName;  // full name of the object whose members the table shows

  bool shutDown = false;  // Shutdown has run; a second call does nothing

  // Takes ownership of a client and makes it the one in use.
  void SetClient(std::unique_ptr<directory::DirectoryClient> owned) {
    ownedClient = std::move(owned);
    client = ownedClient.get();
  }
};

}  // namespace vorlix::core
