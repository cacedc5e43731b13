// Loaded with LD_PRELOAD into a program under test: records, one line each, the fsync(2),
// fdatasync(2) and rename(2) calls of the program in the order they happen, into the file that
// VORLIX_SYNC_LOG names ("sync PATH", "rename FROM TO"), and then makes the real call. Built
// without sanitizers: it is loaded ahead of the sanitizer's runtime.

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

// Appends one line to the log; nothing when no log is named.
void Record(const char* what, const char* first, const char* second) {
  const char* log = getenv("VORLIX_SYNC_LOG");
  if (log == nullptr) return;
  char line[2 * 4096 + 64];
  const int n = snprintf(line, sizeof line, "%s %s%s%s\n", what, first, second ? " " : "",
                         second ? second : "");
  if (n <= 0) return;
  const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const ssize_t written = write(fd, line, static_cast<size_t>(n) < sizeof line ? n : sizeof line);
  (void)written;
  close(fd);
}

void RecordSync(int fd) {
  char proc[64], path[4096];
  snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(proc, path, sizeof path - 1);
  path[n > 0 ? n : 0] = '\0';
  Record("sync", path, nullptr);
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fsync(int fd) {
  RecordSync(fd);
  return Next<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd) {
  RecordSync(fd);
  return Next<int (*)(int)>("fdatasync")(fd);
}

int rename(const char* from, const char* to) {
  Record("rename", from, to);
  return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
  Record("rename", from, to);
  return Next<int (*)(int, const char*, int, const char*)>("renameat")(fromDir, from, toDir, to);
}

}  // extern "C"
