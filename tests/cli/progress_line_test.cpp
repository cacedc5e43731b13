// The progress line's bytes: each line written over the last from its start, blanks over what a
// longer line left, and the line blanked out at the end.

#include "cli/progress_line.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

#include "platform/signal_cleanup.h"

namespace vorlix::cli {
namespace {

// What `use` writes through a progress line on a pipe.
template <typename Use>
std::string Written(bool shown, Use use) {
  int ends[2];
  EXPECT_EQ(pipe(ends), 0);
  {
    ProgressLine line(ends[1], shown);
    use(line);
  }  // the line is blanked out when it goes
  close(ends[1]);
  std::string bytes;
  char chunk[256];
  for (ssize_t n; (n = read(ends[0], chunk, sizeof chunk)) > 0;) bytes.append(chunk, size_t(n));
  close(ends[0]);
  return bytes;
}

TEST(CliProgressLine, RewritesItselfInPlaceAndBlanksItselfOut) {
  EXPECT_EQ(Written(true,
                    [](ProgressLine& line) {
                      line.Show(ProgressText(100, 2000, "members read"));
                      line.Show(ProgressText(1000, 2000, "members read"));
                      line.Show("short");
                    }),
            "\rvorlix-cli: 100 of 2000 members read"
            "\rvorlix-cli: 1000 of 2000 members read"  // 37 characters
            "\rvorlix-cli: short" +
                std::string(37 - 17, ' ') + "\r" + std::string(37, ' ') + "\r");
  // Cleared once, then a new line: blanked out again at the end.
  EXPECT_EQ(Written(true,
                    [](ProgressLine& line) {
                      line.Show("abc");
                      line.Clear();
                      line.Clear();
                      line.Show("de");
                    }),
            "\rvorlix-cli: abc\r" + std::string(15, ' ') + "\r\rvorlix-cli: de\r" +
                std::string(14, ' ') + "\r");
  // Nothing to blank out when nothing was shown, and nothing at all when not shown.
  EXPECT_EQ(Written(true, [](ProgressLine& line) { line.Clear(); }), "");
  EXPECT_EQ(Written(false, [](ProgressLine& line) { line.Show("x"); }), "");
}

TEST(CliProgressLine, ASignalThatEndsTheProgramBlanksTheLineOut) {
  for (int signal : {SIGINT, SIGTERM, SIGPIPE}) {
    SCOPED_TRACE(strsignal(signal));
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(ends[0]);
      platform::InstallSignalCleanup(platform::BrokenPipe::kEndsTheProgram);
      ProgressLine line(ends[1], true);
      line.Show("abc");
      raise(signal);
      _exit(0);
    }
    close(ends[1]);
    std::string bytes;
    char chunk[256];
    for (ssize_t n; (n = read(ends[0], chunk, sizeof chunk)) > 0;) bytes.append(chunk, size_t(n));
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_EQ(bytes, "\rvorlix-cli: abc\r" + std::string(15, ' ') + "\r");
  }
}

}  // namespace
}  // namespace vorlix::cli
