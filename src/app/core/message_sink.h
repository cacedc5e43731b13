#pragma once
// Where the core sends texts that the user must see (a message box in the window, stderr in the
// CLI).

#include <string>

namespace vorlix::core {

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace vorlix::core
