#pragma once
// The program-wide state that the start-up step, the lookup and the commands share. The main
// window (or the CLI) owns one for the life of the program.

#include <memory>
#include <string>
#include <vector>

#include "app/core/directory_session.h"
#include "app/core/input_files.h"
#include "directory/directory_client.h"

namespace vorlix::core {

struct AppState {
  // The directory client every operation goes through. `client` is what the code uses; when the
  // state owns the client, `ownedClient` holds it and `client` points at it (see SetClient).
  directory::DirectoryClient* client = nullptr;
  std::unique_ptr<directory::DirectoryClient> ownedClient;
  // The session of the client in use, which the start-up step starts and Shutdown ends; it ends
  // before the client goes. SetClient makes it; a client that is only pointed at gets one from
  // the start-up step, and none when its owner runs the session (the CLI).
  std::unique_ptr<DirectorySession> session;

  directory::Context DirectoryContext = directory::kNoContext;
  std::string TreeName;  // at most 201 characters, as the context reports it
  // The bundled sample tree is open (no configuration names a source): the caption says so.
  bool SampleTree = false;

  bool PhoneChainEnabled = false;
  std::vector<std::string> PhoneAttributes;  // attribute names of the phone chain, in file order

  std::string CurrentObjectName;  // full name of the object whose members the table shows

  // The files the program reads (configuration, tree file), which no export may replace.
  std::vector<InputFile> InputFiles;

  // Takes ownership of a client, with its session, and makes it the one in use.
  void SetClient(std::unique_ptr<directory::DirectoryClient> owned) {
    session.reset();
    ownedClient = std::move(owned);
    client = ownedClient.get();
    session = std::make_unique<DirectorySession>(*client);
  }
  bool ContextOpened() const { return session != nullptr && session->ContextOpened(); }
};

}  // namespace vorlix::core
