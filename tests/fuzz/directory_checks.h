#pragma once
// What the fuzz targets that drive a directory client through the directory layer check after
// every call: its directory errors are expected answers, a buffer, filter or iteration left open
// is not.

#include <string>

#include "directory/buffered_client.h"
#include "directory/directory_layer.h"
#include "fuzz_support.h"

namespace vorlix::fuzz {

inline void ExpectNothingOpen(const directory::BufferedClient& client, const char* after) {
  if (client.OpenBuffers() != 0 || client.OpenFilters() != 0 || client.OpenIterations() != 0) {
    Fail(std::string("client resources left open after ") + after);
  }
}

// Runs one directory-layer call; its directory errors are expected answers.
template <typename Call>
void Try(directory::BufferedClient& client, const char* what, Call call) {
  try {
    call();
  } catch (const directory::DirectoryError&) {
  } catch (const directory::DirectoryArgumentError&) {
  }
  ExpectNothingOpen(client, what);
}

}  // namespace vorlix::fuzz
