#pragma once
// The start-up step without its window parts, and the shutdown.

#include <string>
#include <vector>

#include "app/core/app_state.h"
#include "app/core/configuration.h"

namespace vorlix::core {

struct StartupResult {
  // false: the client did not start. Show `messages`, then end the program at once (Shutdown
  // still runs); nothing else was done.
  bool clientStarted = false;
  // The context could not be opened or configured: ask the main window to close (after the
  // steps below and after showing `messages`).
  bool closeWindow = false;
  // The tree name was read and the configuration applied: lay out the caption again and remove
  // the third kind from the kind selector. false when reading the tree name failed.
  bool completed = false;
  // Texts to show in message boxes, in order (the client failure with its reason on a second
  // line, a directory error, a broken "DIRECTORY" section).
  std::vector<std::string> messages;
  // What the directory client had to tell when it connected (a certificate check that is off, a
  // password sent in clear), for the status bar's notice; with a client that did not start they
  // end its message instead.
  std::vector<std::string> notices;
};

// Creates the client for the configured source when the state has none, starts its session
// (calStartup, clxStartup, the context), then reads the tree name and applies the phone settings.
StartupResult RunStartupStep(AppState& state, const Configuration& configuration);

// Ends the session of the state's client (DirectorySession::Shutdown); runs once, and does nothing
// for a state without one.
void Shutdown(AppState& state);

}  // namespace vorlix::core
