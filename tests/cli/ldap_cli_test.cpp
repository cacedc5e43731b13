// vorlix-cli against the test LDAP servers: the same output as the embedded client for the same
// tree, TLS, passwords and bad input.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "../directory/ldap_test_servers.h"
#include "cli_runner.h"
#include "directory/dotted_name.h"
#include "scratch_tree.h"

namespace vorlix::cli::testing {
namespace {

using vorlix::testing::LdapTestServers;
using vorlix::testing::TestServers;

const std::string kSample = VORLIX_DATA_DIR "/sample-tree.ldif";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Runs the same command on two sources; both must end with the same exit code (exitCode when
// given) and the same bytes on stdout and stderr. Returns the output. The LDAP side is a source,
// or with ldapOption "--config" a configuration file.
std::string ExpectSame(const std::string& embedded, const std::string& ldap,
                       const std::vector<std::string>& command, std::optional<int> exitCode = 0,
                       const std::string& ldapOption = "--source") {
  std::vector<std::string> a = {"--source", embedded}, b = {ldapOption, ldap};
  a.insert(a.end(), command.begin(), command.end());
  b.insert(b.end(), command.begin(), command.end());
  const CliRun local = RunCli(a, "LC_ALL=C.UTF-8");
  const CliRun remote = RunCli(b, "LC_ALL=C.UTF-8");
  std::string what;
  for (const std::string& word : command) what += " " + word;
  if (exitCode) {
    EXPECT_EQ(local.exitCode, *exitCode) << what << "\n" << local.err;
  }
  EXPECT_EQ(remote.exitCode, local.exitCode) << what << "\n" << remote.err;
  EXPECT_EQ(remote.out, local.out) << what;
  EXPECT_EQ(remote.err, local.err) << what;
  return local.out;
}

// Every lookup of a tree through both clients: members, mailto and the CSV export of every group
// and workstation group, the finds that list them, the reads of their members and descriptions.
void ExpectSameLookups(const std::string& embedded, const std::string& ldap) {
  const std::string dir = ::testing::TempDir();
  for (const char* kind : {"group", "workstation"}) {
    for (const char* prefix : {"", "s", "Sales", "OFFICE", "zzz"}) {
      ExpectSame(embedded, ldap, {"find", "--kind", kind, prefix}, std::nullopt);
    }
    const std::vector<std::string> names =
        Lines(RunCli({"--source", embedded, "find", "--kind", kind, ""}).out);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
      // Looked up by its common name, picked by its full name.
      const std::string cn = directory::SplitDottedName(name, directory::TypePrefix::kKept).front();
      ExpectSame(embedded, ldap, {"members", "--kind", kind, cn, "--pick", name});
      ExpectSame(embedded, ldap, {"mailto", "--kind", kind, cn, "--pick", name});
      ExpectSame(embedded, ldap, {"read", name, "Description"});
      const std::string members = ExpectSame(embedded, ldap, {"read", "--list", name, "Member"});
      // The names listed read back (a few a group: each read is two runs of the program).
      const std::vector<std::string> listed = Lines(members);
      for (size_t i = 0; i < listed.size() && i < 4; ++i) {
        ExpectSame(embedded, ldap, {"read", listed[i], "CN"});
      }
      // Tests of this file may run at once: the files carry the process id.
      const std::string run = std::to_string(getpid());
      const std::string a = dir + "/embedded-" + run + ".csv", b = dir + "/ldap-" + run + ".csv";
      const std::vector<std::string> tail = {"--kind", kind,       cn,    "--pick",
                                             name,     "--format", "csv", "--output"};
      std::vector<std::string> first = {"--source", embedded, "export"},
                               second = {"--source", ldap, "export"};
      first.insert(first.end(), tail.begin(), tail.end());
      second.insert(second.end(), tail.begin(), tail.end());
      first.push_back(a);
      second.push_back(b);
      std::remove(a.c_str());
      std::remove(b.c_str());
      ASSERT_EQ(RunCli(first).exitCode, 0);
      ASSERT_EQ(RunCli(second).exitCode, 0) << name;
      EXPECT_EQ(ReadFile(b), ReadFile(a)) << name;
    }
  }
}

TEST(CliLdapTest, EveryLookupOfTheSampleTreeGivesWhatTheEmbeddedClientGives) {
  ExpectSameLookups(kSample, TestServers().ldapUrl + "/o=harbourline");
}

TEST(CliLdapTest, ASchemaWithoutProgramNamesFallsBackOnTheNamingRule) {
  const std::string plain = TestServers().plainUrl + "/o=harbourline";
  for (const char* group : {"Sales East", "drivers", "Seasonal Staff", "Empty Projects"}) {
    ExpectSame(kSample, plain, {"members", "--kind", "group", group});
  }
  for (const char* group : {"Office Workstations", "Depot Terminals"}) {
    ExpectSame(kSample, plain, {"members", "--kind", "workstation", group});
  }
}

TEST(CliLdapTest, AwkwardNamesAndLargeGroupsGiveWhatTheEmbeddedClientGives) {
  const LdapTestServers servers = TestServers();
  ExpectSameLookups(servers.namesLdif, servers.ldapUrl + "/o=names");
  // 5,000 members each: reads kept in flight give the rows in the same order. A generous
  // timeout: reading the members of a group is one operation, slow on a busy machine.
  const std::string config = ::testing::TempDir() + "/ldap-fleet-" + std::to_string(getpid());
  std::ofstream(config) << "[DIRECTORY]\nsource=" << servers.ldapUrl << "/o=fleet\ntimeout=300\n";
  ExpectSame(servers.fleetLdif, config, {"members", "--kind", "workstation", "Fleet Terminals"}, 0,
             "--config");
  ExpectSame(servers.fleetLdif, config, {"members", "--kind", "group", "Fleet Crew"}, 0,
             "--config");
}

TEST(CliLdapTest, TlsChecksTheServersCertificate) {
  const LdapTestServers servers = TestServers();
  const std::string trusted = "LDAPTLS_CACERT=" + servers.caFile;
  const std::string other = "LDAPTLS_CACERT=" + servers.otherCaFile;
  const std::string dir = ::testing::TempDir();
  std::ofstream(dir + "/ldap-starttls.ini")
      << "[DIRECTORY]\nsource=" << servers.ldapUrl << "/o=harbourline\nstarttls=yes\n";
  const std::vector<std::vector<std::string>> secured = {
      {"--source", servers.ldapsUrl + "/o=harbourline", "members", "--kind", "group", "Finance"},
      {"--config", dir + "/ldap-starttls.ini", "members", "--kind", "group", "Finance"}};
  const std::string expected =
      RunCli({"--source", kSample, "members", "--kind", "group", "Finance"}).out;
  // libldap's own settings cannot turn the check off: neither the variable nor an ldaprc in the
  // current folder.
  std::ofstream(dir + "/ldaprc") << "TLS_REQCERT never\nTLS_REQSAN never\n";
  const std::string weakened[] = {other + " LDAPTLS_REQCERT=never",
                                  "cd " + ShellQuoted(dir) + " && " + other};
  for (const auto& args : secured) {
    const CliRun good = RunCli(args, trusted);
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(good.out, expected);
    EXPECT_EQ(good.err.find("vorlix-cli:"), std::string::npos) << good.err;
    for (const std::string& environment : {other, weakened[0], weakened[1]}) {
      const CliRun bad = RunCli(args, environment);
      EXPECT_EQ(bad.exitCode, 3) << environment;
      EXPECT_NE(bad.err.find("the server's certificate was not accepted: it is not signed by a CA "
                             "that vorlix trusts"),
                std::string::npos)
          << bad.err;
    }
  }
  // Only the configuration can, and then every run says so.
  std::ofstream(dir + "/ldaps-unchecked.ini")
      << "[DIRECTORY]\nsource=" << servers.ldapsUrl << "/o=harbourline\ntls_verify=no\n";
  const CliRun unchecked = RunCli(
      {"--config", dir + "/ldaps-unchecked.ini", "members", "--kind", "group", "Finance"}, other);
  EXPECT_EQ(unchecked.exitCode, 0) << unchecked.err;
  EXPECT_EQ(unchecked.out, expected);
  EXPECT_EQ(unchecked.err.find("vorlix-cli: The certificate of the server at " +
                               servers.ldapsUrl.substr(std::string("ldaps://").size()) +
                               " is not checked (tls_verify=no)"),
            0u)
      << unchecked.err;
}

TEST(CliLdapTest, PasswordsComeFromTheEnvironmentAndAreChecked) {
  const LdapTestServers servers = TestServers();
  const std::string dir = ::testing::TempDir();
  std::ofstream(dir + "/ldap-bind.ini") << "[DIRECTORY]\nsource=" << servers.ldapUrl
                                        << "/o=harbourline\nbinddn=" << servers.adminDn << "\n";
  const std::vector<std::string> tree = {"--config", dir + "/ldap-bind.ini", "tree"};
  const CliRun right = RunCli(tree, "VORLIX_LDAP_PASSWORD=" + servers.adminPassword);
  EXPECT_EQ(right.exitCode, 0) << right.err;
  EXPECT_EQ(right.out, "HARBOURLINE_TREE\n");
  const CliRun wrong = RunCli(tree, "VORLIX_LDAP_PASSWORD=wrong");
  EXPECT_EQ(wrong.exitCode, 3);
  // The password went over plain LDAP: the user is told, also when it was wrong.
  EXPECT_EQ(wrong.err,
            "vorlix-cli: Novell Client not installed?\nvorlix-cli: Netware error -669 "
            "(0xFFFFFD63): Binding as " +
                servers.adminDn + ": Invalid credentials (49)\nvorlix-cli: The password for " +
                servers.adminDn + " travels unencrypted to " +
                servers.ldapUrl.substr(std::string("ldap://").size()) +
                ": use ldaps:// or starttls=yes.\n");
  // A password file wins over the variable.
  const std::string file = dir + "/ldap-bind-password";
  std::ofstream(file) << servers.adminPassword << "\n";
  std::vector<std::string> withFile = {"--password-file", file};
  withFile.insert(withFile.end(), tree.begin(), tree.end());
  const CliRun fromFile = RunCli(withFile, "VORLIX_LDAP_PASSWORD=wrong");
  EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err;
  EXPECT_EQ(RunCli({"--password-file"}).exitCode, 64);
  // No terminal to ask on, no variable: the user is told where a password can come from.
  const CliRun none = RunCli(tree, "env -u VORLIX_LDAP_PASSWORD");
  EXPECT_EQ(none.exitCode, 3);
  EXPECT_NE(none.err.find("needs a password: set VORLIX_LDAP_PASSWORD"), std::string::npos)
      << none.err;
}

TEST(CliLdapTest, AServerThatRefusesAnonymousSearchesGetsAnErrorNotNoMatch) {
  const LdapTestServers servers = TestServers();
  const std::string dir = ::testing::TempDir();
  std::ofstream(dir + "/ldap-locked.ini")
      << "[DIRECTORY]\nsource=" << servers.ldapUrl << "/o=locked\nbinddn=cn=admin,o=locked\n";
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"find", "--kind", "group", "Va"},
        std::vector<std::string>{"members", "--kind", "group", "Vault"}}) {
    std::vector<std::string> anonymous = {"--source", servers.ldapUrl + "/o=locked"};
    anonymous.insert(anonymous.end(), command.begin(), command.end());
    const CliRun refused = RunCli(anonymous);
    EXPECT_EQ(refused.exitCode, 3) << command[0] << ": " << refused.err;
    EXPECT_EQ(refused.out, "") << command[0];
    EXPECT_NE(refused.err.find("vorlix-cli: Netware error -672"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("Searching o=locked: Server is unwilling to perform (53): "
                               "authentication required"),
              std::string::npos)
        << refused.err;
    // Bound, the same command finds the group.
    std::vector<std::string> bound = {"--config", dir + "/ldap-locked.ini"};
    bound.insert(bound.end(), command.begin(), command.end());
    const CliRun listed = RunCli(bound, "VORLIX_LDAP_PASSWORD=" + servers.adminPassword);
    EXPECT_EQ(listed.exitCode, 0) << command[0] << ": " << listed.err;
  }
}

TEST(CliLdapTest, NameMappingsSurnamesAndMalformedNamesReadAlikeFromBothClients) {
  ScratchTree tree("parity");
  const std::string& branch = tree.Branch();
  const auto entry = [&branch](const std::string& rdn, const std::string& body) {
    return "dn: " + rdn + "," + branch + "\n" + body + "\n";
  };
  tree.Write(entry("cn=ann",
                   "objectClass: inetOrgPerson\ncn: ann\nsn: Smith\ntelephoneNumber: 555-0100\n") +
             entry("cn=desk1", "objectClass: device\ncn: desk1\nowner: cn=ann," + branch + "\n") +
             entry("cn=Desks", "objectClass: zenWorkstationGroup\ncn: Desks\nmember: cn=desk1," +
                                   branch + "\n") +
             entry("cn=x\\5C.y", "objectClass: person\ncn: x\\.y\nsn: Dot\n"));
  const std::string embedded = tree.File(), ldap = tree.ServerSource();
  const std::string config = tree.TempPath("names.ini");
  std::ofstream(config) << "[NAMES]\nWM:NAME User=owner\n";
  // The mapped attribute holds names, as the server's schema says: the owner's phone is found.
  const std::vector<std::string> mapped = {"--config", config,        "members",
                                           "--kind",   "workstation", "Desks"};
  std::vector<std::string> a = {"--source", embedded}, b = {"--source", ldap};
  a.insert(a.end(), mapped.begin(), mapped.end());
  b.insert(b.end(), mapped.begin(), mapped.end());
  const CliRun local = RunCli(a, "LC_ALL=C.UTF-8 TZ=UTC"),
               remote = RunCli(b, "LC_ALL=C.UTF-8 TZ=UTC");
  EXPECT_EQ(local.exitCode, 0) << local.err;
  EXPECT_EQ(remote.out, local.out);
  EXPECT_NE(local.out.find("desk1.parity-"), std::string::npos) << local.out;
  EXPECT_NE(local.out.find("\tann.parity-"), std::string::npos) << local.out;
  EXPECT_NE(local.out.find("\t555-0100\n"), std::string::npos) << local.out;
  std::remove(config.c_str());

  const std::string ann = "ann." + branch.substr(3, branch.find(',') - 3) + ".scratch";
  EXPECT_EQ(ExpectSame(embedded, ldap, {"read", ann, "Surname"}), "Smith\n");
  EXPECT_EQ(ExpectSame(embedded, ldap, {"read", ann, "sn"}), "Smith\n");
  for (const std::string& malformed :
       std::vector<std::string>{"." + ann, ann + ".", "ann.." + ann.substr(4), "."}) {
    ExpectSame(embedded, ldap, {"read", malformed, "CN"}, 64);
  }
  ExpectSame(embedded, ldap, {"read", "nobody." + ann.substr(4), "CN"}, 3);
  // A common name with a backslash before a dot, as this version spells it and as earlier
  // versions did, which escaped dots only.
  EXPECT_EQ(ExpectSame(embedded, ldap, {"read", "x\\\\\\.y." + ann.substr(4), "CN"}), "x\\.y\n");
  EXPECT_EQ(ExpectSame(embedded, ldap, {"read", "x\\\\.y." + ann.substr(4), "CN"}), "x\\.y\n");
}

TEST(CliLdapTest, FindTextIsNoFilter) {
  const std::string ldap = TestServers().ldapUrl + "/o=harbourline";
  for (const char* attempt : {"*)(cn=*", ")(|(cn=*", "\\", "Sales)(cn=Fin", "*"}) {
    const CliRun run = RunCli({"--source", ldap, "find", "--kind", "group", attempt});
    EXPECT_EQ(run.out, RunCli({"--source", kSample, "find", "--kind", "group", attempt}).out)
        << attempt;
  }
  EXPECT_EQ(RunCli({"--source", ldap, "find", "--kind", "group", "*)(cn=*"}).exitCode, 1);
}

TEST(CliLdapTest, AClosedStandardOutputIsAWriteErrorAndNothingGoesIntoTheConnection) {
  // With a standard stream closed, the connection to the server would take its number, and the
  // output would go to the server.
  const std::string ldap = TestServers().ldapUrl + "/o=harbourline";
  const std::string err = ::testing::TempDir() + "/closed-stdout-" + std::to_string(getpid());
  const std::vector<std::string> csv = {"--format", "csv", "--output"};
  struct Case {
    std::vector<std::string> command;
    std::string redirection;
    std::string message;
  };
  const std::string notOpen = "\". It was not open when the program started\n";
  const Case cases[] = {
      {{"export", "--kind", "group", "Sales East", "--format", "csv", "--output", "-"},
       ">&-",
       "--output - (standard output): Cannot create file \"/dev/stdout" + notOpen},
      {{"export", "--kind", "group", "Sales East", "--format", "csv", "--output", "/dev/fd/3"},
       "3>&-",
       "Cannot create file \"/dev/fd/3" + notOpen},
      {{"members", "--kind", "group", "Sales East"},
       ">&-",
       "vorlix-cli: cannot write to standard output: Bad file descriptor\n"},
      {{"tree"}, ">&-", "vorlix-cli: cannot write to standard output: Bad file descriptor\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--source", ldap};
    args.insert(args.end(), c.command.begin(), c.command.end());
    SCOPED_TRACE(CliCommandLine(args) + " " + c.redirection);
    EXPECT_EQ(Shell(CliCommandLine(args) + " " + c.redirection + " 2>" + ShellQuoted(err) +
                    " </dev/null"),
              4);
    const std::string written = ReadFile(err);
    EXPECT_TRUE(written.ends_with(c.message)) << written;
  }
  std::remove(err.c_str());
}

TEST(CliLdapTest, AReaderThatClosesThePipeEndsEveryCommandQuietlyWithEitherSource) {
  const LdapTestServers servers = TestServers();
  const std::string err = ::testing::TempDir() + "/closed-pipe-" + std::to_string(getpid());
  // Each command writes far more than a pipe holds, so it meets the closed pipe.
  const std::vector<std::vector<std::string>> commands = {
      {"members", "--kind", "group", "Fleet Crew"},
      {"members", "--kind", "group", "Fleet Crew", "--format", "json"},
      {"export", "--kind", "group", "Fleet Crew", "--format", "csv", "--output", "-"},
      {"read", "--list", "Fleet Crew.groups.fleet", "Member"},
  };
  for (const std::string& source : {servers.fleetLdif, servers.ldapUrl + "/o=fleet"}) {
    for (const std::vector<std::string>& command : commands) {
      std::vector<std::string> args = {"--source", source};
      args.insert(args.end(), command.begin(), command.end());
      SCOPED_TRACE(CliCommandLine(args));
      const std::string pipeline = CliCommandLine(args) + " 2>" + ShellQuoted(err) +
                                   " </dev/null | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}";
      // Ended as SIGPIPE ends a program: 128 + 13 in the shell.
      EXPECT_EQ(Shell("bash -c " + ShellQuoted(pipeline)), 141);
      EXPECT_EQ(ReadFile(err), "");
    }
  }
  std::remove(err.c_str());
}

}  // namespace
}  // namespace vorlix::cli::testing
