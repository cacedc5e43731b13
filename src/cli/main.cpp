// vorlix-cli: the directory lookups and exports of vorlix from a shell.

#include <unistd.h>

#include <clocale>
#include <ostream>
#include <string>

#include "app/core/configuration.h"
#include "app/core/directory_session.h"
#include "cli/cli_context.h"
#include "cli/command_line.h"
#include "cli/output_stream.h"
#include "cli/password_source.h"
#include "directory/directory_source.h"
#include "platform/signal_cleanup.h"
#include "platform/standard_streams.h"

namespace vorlix::cli {
namespace {

// The client's notices, one line each on stderr.
void TellNotices(directory::DirectoryClient& client, const MessagePrinter& messages) {
  for (const std::string& notice : client.TakeNotices()) messages.Notice(notice);
}

// Reads the configuration, starts the client's session, runs the command; the session ends on the
// way out.
int RunCommand(const ParsedCommandLine& parsed, CliOptions& options, std::ostream& out,
               const MessagePrinter& messages) {
  if (!options.global.configPath.empty()) {
    const std::string problem = core::ConfigurationFileProblem(options.global.configPath);
    if (!problem.empty()) return ReportUsageError(problem, parsed.usage, messages);
  }
  options.configurationPath =
      options.global.configPath.empty() ? core::ConfigurationPath() : options.global.configPath;
  options.configuration = core::LoadConfiguration(options.configurationPath);
  options.source = core::DirectorySourceOf(options.configuration);
  if (options.global.source) {
    options.source.source = *options.global.source;
    options.source.refusal.clear();  // the configuration's directory is not the one used
  }
  const std::string notice = core::ConfigurationMessage(options.configuration, options.source);
  if (!notice.empty()) messages.Notice(notice);
  if (!SupplyPassword(options.source, ProcessPasswordSources(options.global.passwordFile),
                      messages)) {
    return kExitDirectoryError;
  }

  const auto client = directory::MakeDirectoryClient(options.source);
  core::DirectorySession session(*client);
  const core::SessionStart start = session.Start();
  if (start == core::SessionStart::ClientMissing) {
    messages.Error(core::kClientMissingMessage);
    const std::string reason = client->StartupFailureReason();
    if (!reason.empty()) messages.Error(reason);
  }
  TellNotices(*client, messages);
  if (start == core::SessionStart::ClientMissing) return kExitDirectoryError;
  if (start == core::SessionStart::ContextFailed) {
    messages.Error("the directory context could not be opened");
    return kExitDirectoryError;
  }

  ProgressLine progress(STDERR_FILENO, ShowsProgress(STDERR_FILENO, options.global.quiet));
  CliContext context{options, *client, session.Context(), out, messages, progress};
  int exitCode = kExitDirectoryError;
  try {
    // The progress line goes before anything else reaches stderr, an error's message included.
    struct ClearOnExit {
      ProgressLine& line;
      ~ClearOnExit() { line.Clear(); }
    } clear{progress};
    exitCode = parsed.run(context);
  } catch (const UsageError& error) {
    exitCode = ReportUsageError(error.what(), parsed.usage, messages);
  } catch (const std::exception& error) {
    // Directory errors and anything else that ended the command: 3.
    messages.Error(error.what());
  }
  // What a lookup did not tell already (a find's or a read's parts not searched).
  TellNotices(*client, messages);
  return exitCode;
}

int Run(int argc, char** argv) {
  FdOutputBuffer outBuffer(STDOUT_FILENO, EscapingFor(STDOUT_FILENO));
  FdOutputBuffer errBuffer(STDERR_FILENO, EscapingFor(STDERR_FILENO));
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);
  err << std::unitbuf;
  // On a terminal the lines appear as they are written, in order with the messages on stderr.
  if (::isatty(STDOUT_FILENO)) out << std::unitbuf;

  const MessagePrinter messages(err);

  CliOptions options;
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv, options.global, out, messages);
  int exitCode = parsed.run ? RunCommand(parsed, options, out, messages) : parsed.exitCode;
  // Output that did not arrive is a failure, whatever the command found.
  if (!outBuffer.Finish()) {
    messages.Error(WriteFailureMessage("standard output", outBuffer.error()));
    exitCode = kExitExportError;
  }
  errBuffer.Finish();
  return exitCode;
}

}  // namespace
}  // namespace vorlix::cli

int main(int argc, char** argv) {
  // First of all: a closed standard stream must not lend its number to a file or a connection.
  vorlix::platform::SecureStandardStreams();
  // A reader that closes the pipe early (| head) ends the command quietly, whatever it does.
  vorlix::platform::InstallSignalCleanup(vorlix::platform::BrokenPipe::kEndsTheProgram);
  // The user's locale orders names and shapes dates, as in the window.
  std::setlocale(LC_ALL, "");
  return vorlix::cli::Run(argc, argv);
}
