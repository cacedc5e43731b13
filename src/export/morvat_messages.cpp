#include "export/morvat_messages.h"

namespace vorlix::exporter {

std::string MessageText(int number) {
  switch (number) {
    case msgSourceNotAssigned:
      return "Export source (%s) is not assigned";
    case msgSourceClosed:
      return "Export source (%s) is closed";
    case msgSourceEmpty:
      return "Export source (%s) is empty";
    case msgDirectoryNotCreated:
      return "Directory \"%s\" not found and cannot be created";
  }
  return {};
}

std::string FormatMessage(int number, const std::string& argument) {
  std::string text = MessageText(number);
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace vorlix::exporter
