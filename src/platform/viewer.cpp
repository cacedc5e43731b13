#include "platform/viewer.h"

#include <sys/wait.h>
#include <unistd.h>

namespace vorlix::platform {

void StartViewer(const std::string& verb, const std::string& file) {
  std::string program = verb == "print" ? "lp" : "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(file.c_str()), nullptr};
  // The viewer runs as a grandchild that init adopts, so it outlives this call without
  // leaving a zombie behind; only the short-lived child is waited for.
  const pid_t child = fork();
  if (child == 0) {
    if (fork() == 0) {
      execvp(program.c_str(), argv);
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}

}  // namespace vorlix::platform
