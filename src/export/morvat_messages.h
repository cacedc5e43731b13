#pragma once
// The export engine's numbered message table and the error it raises.

#include <stdexcept>
#include <string>

namespace vorlix::exporter {

enum TMorvatMessage {
  msgSourceNotAssigned = 34014,    // "Export source (%s) is not assigned"
  msgSourceClosed = 34016,         // "Export source (%s) is closed"
  msgSourceEmpty = 34017,          // "Export source (%s) is empty"
  msgDirectoryNotCreated = 34025,  // "Directory "%s" not found and cannot be created"
};

// The message text of a number, with "%s" where the argument goes; empty for an unknown number.
std::string MessageText(int number);

// The message text of a number with its placeholder filled in.
std::string FormatMessage(int number, const std::string& argument);

// A failure of an export run. what() is the message text shown to the user.
class EMorvatError : public std::runtime_error {
 public:
  explicit EMorvatError(const std::string& message, int number = 0)
      : std::runtime_error(message), number_(number) {}
  // Raises the error of a numbered message.
  static EMorvatError FromTable(int number, const std::string& argument) {
    return EMorvatError(FormatMessage(number, argument), number);
  }
  // Number in the message table, 0 when the message does not come from it.
  int Number() const { return number_; }

 private:
  int number_;
};

// Raised when a run is stopped while its file is finished (Abort from OnFinishing): Execute
// takes it as an abort, with no message, and the file it was to replace stays as it was.
class EMorvatStopped : public EMorvatError {
 public:
  EMorvatStopped() : EMorvatError("The export was stopped") {}
};

}  // namespace vorlix::exporter
