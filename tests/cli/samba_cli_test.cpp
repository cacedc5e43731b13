// vorlix-cli against a Samba Active Directory domain controller (samba_test_server.h), configured
// with the shipped profile packaging/examples/active-directory.ini: lookups from the domain root,
// groups of computers, a group beyond the page limit, and the binds Active Directory wants.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "../directory/samba_test_server.h"
#include "cli_runner.h"

namespace vorlix::cli::testing {
namespace {

using vorlix::testing::SambaServer;
using vorlix::testing::SambaTestServer;

constexpr char kPinned[] = "LC_ALL=C TZ=UTC";

class CliSambaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!samba_.skip.empty()) GTEST_SKIP() << samba_.skip;
    dir_ = ::testing::TempDir() + "/samba-" + std::to_string(getpid());
    Shell("mkdir -p " + ShellQuoted(dir_));
  }

  // The shipped profile with the test domain's server, base and settings: each of `lines`
  // ("key=value") replaces the profile's line of that key in [DIRECTORY], or is added there.
  std::string Profile(const std::vector<std::string>& lines) {
    std::ifstream in(VORLIX_SOURCE_DIR "/packaging/examples/active-directory.ini");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty());
    std::string added;
    for (const std::string& line : lines) {
      const std::string key = line.substr(0, line.find('='));
      const std::regex own("(^|\n)" + key + "=[^\n]*");
      if (std::regex_search(text, own)) {
        text = std::regex_replace(text, own, "$1" + line);
      } else {
        added += line + "\n";
      }
    }
    text.insert(text.find("[DIRECTORY]\n") + 12, added);
    const std::string path = dir_ + "/vorlix-" + std::to_string(++profiles_) + ".ini";
    std::ofstream(path) << text;
    return path;
  }

  // The profile for a simple bind as the administrator over source.
  std::string AdminProfile(const std::string& source, const std::vector<std::string>& more = {}) {
    std::vector<std::string> lines = {"source=" + source, "base=" + samba_.base,
                                      "binddn=" + samba_.admin};
    lines.insert(lines.end(), more.begin(), more.end());
    return Profile(lines);
  }

  std::string Environment() const {
    return std::string(kPinned) + " LDAPTLS_CACERT=" + ShellQuoted(samba_.caFile) +
           " VORLIX_LDAP_PASSWORD=" + ShellQuoted(samba_.adminPassword) +
           " KRB5_CONFIG=" + ShellQuoted(samba_.krb5Config) +
           " KRB5CCNAME=" + ShellQuoted("FILE:" + dir_ + "/ticket");
  }

  CliRun Run(const std::string& config, const std::vector<std::string>& command) {
    std::vector<std::string> args = {"--config", config};
    args.insert(args.end(), command.begin(), command.end());
    return RunCli(args, Environment());
  }

  SambaTestServer samba_ = SambaServer();
  std::string dir_;
  int profiles_ = 0;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

size_t Lines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliSambaTest, LookupsFromTheDomainRootListWhatTheyFindAndTellWhatWasNotSearched) {
  const std::string config = AdminProfile(samba_.ldapsUrl);
  const std::string notice =
      "vorlix-cli: Not searched: the server refers other parts of the directory to "
      "ldaps://vorlix.test/CN=Configuration,DC=vorlix,DC=test, and referrals are not followed.\n";

  const CliRun find = Run(config, {"find", "--kind", "group", "Deck"});
  EXPECT_EQ(find.exitCode, 0) << find.err;
  EXPECT_EQ(find.out, "Deck Crew.Deck.vorlix.test\nDeck Workstations.Deck.vorlix.test\n");
  EXPECT_EQ(find.err, notice);
  // Nothing found is no match, not an incomplete list: the other naming contexts hold no groups.
  const CliRun none = Run(config, {"find", "--kind", "group", "Nothing like it"});
  EXPECT_EQ(none.exitCode, 1) << none.err;
  EXPECT_EQ(none.err, notice);

  const CliRun crew = Run(config, {"members", "--kind", "group", "Deck Crew"});
  EXPECT_EQ(crew.exitCode, 0) << crew.err;
  EXPECT_EQ(crew.out,
            "User\tPhone\t\t\t\n"
            "eva\\.berg.Deck.vorlix.test\t+31 20 555 0102\t\t\t\n"
            "jan\\.smith.Deck.vorlix.test\t+31 20 555 0101\t\t\t\n"
            "piet\\.dam.Deck.vorlix.test\t\t\t\t\n");
  // The listing comes first; what was not searched is told once the command is done.
  EXPECT_EQ(crew.err, "3\tEveryone on deck\tDeck Crew.Deck.vorlix.test\n" + notice);

  // Groups of computers with the workstation columns of the profile.
  const CliRun ws = Run(config, {"members", "--kind", "workstation", "Deck Workstations"});
  EXPECT_EQ(ws.exitCode, 0) << ws.err;
  EXPECT_EQ(ws.out,
            "Workstation\tUser\tLast login\tIP-address\tPhone\n"
            "WS-DECK-01.Deck.vorlix.test\tjan\\.smith.Deck.vorlix.test\t01-15-24 00:00:00\t"
            "ws-deck-01.vorlix.test\t+31 20 555 0101\n"
            "WS-DECK-02.Deck.vorlix.test\tpiet\\.dam.Deck.vorlix.test\t01-01-70 00:00:00\t"
            "ws-deck-02.vorlix.test\t\n"
            "WS-DECK-03.Deck.vorlix.test\t\t01-01-70 00:00:00\t\t  -\n");

  // Below an organizational unit no reference comes back, and groups are found by their class.
  const std::string unit = AdminProfile(samba_.ldapsUrl, {"base=OU=Deck," + samba_.base});
  const CliRun inUnit = Run(unit, {"find", "--kind", "workstation", "Deck W"});
  EXPECT_EQ(inUnit.exitCode, 0) << inUnit.err;
  EXPECT_EQ(inUnit.out, "Deck Workstations.Deck.vorlix.test\n");
  EXPECT_EQ(inUnit.err, "");
}

TEST_F(CliSambaTest, AGroupBeyondThePageLimitIsListedWhole) {
  const CliRun fleet = Run(AdminProfile(samba_.ldapsUrl), {"members", "--kind", "group", "Fleet"});
  ASSERT_EQ(fleet.exitCode, 0) << fleet.err;
  EXPECT_EQ(Lines(fleet.out), 5001u);
  EXPECT_TRUE(Contains(fleet.out, "\ncrew0001.Fleet.vorlix.test\t+31 10 556 0001\t"));
  EXPECT_TRUE(Contains(fleet.out, "\ncrew5000.Fleet.vorlix.test\t+31 10 556 5000\t"));
  EXPECT_TRUE(Contains(fleet.err, "5000\tEverybody aboard\tFleet Crew.Fleet.vorlix.test\n"));
}

TEST_F(CliSambaTest, SimpleBindsAsUserAtRealmTakeTlsAndAPlainOneIsRefusedAndTold) {
  for (const std::string& config :
       {AdminProfile(samba_.ldapsUrl), AdminProfile(samba_.ldapUrl, {"starttls=yes"})}) {
    const CliRun tree = Run(config, {"tree"});
    EXPECT_EQ(tree.exitCode, 0) << tree.err;
    EXPECT_EQ(tree.out, samba_.base + "\n");
  }
  const CliRun plain = Run(AdminProfile(samba_.ldapUrl), {"tree"});
  EXPECT_EQ(plain.exitCode, 3);
  EXPECT_TRUE(Contains(plain.err, "Binding as " + samba_.admin +
                                      ": Strong(er) authentication "
                                      "required"))
      << plain.err;
  EXPECT_TRUE(Contains(plain.err, "vorlix-cli: The password for " + samba_.admin +
                                      " travels unencrypted to dc1.vorlix.test:389"))
      << plain.err;
}

TEST_F(CliSambaTest, AKerberosBindTakesTheTicketOfKinit) {
  const std::string plain =
      Profile({"source=" + samba_.ldapUrl, "base=" + samba_.base, "bind=gssapi", "binddn="});
  const CliRun noTicket = Run(plain, {"tree"});
  EXPECT_EQ(noTicket.exitCode, 3);
  EXPECT_TRUE(Contains(noTicket.err,
                       "vorlix-cli: Netware error -669 (0xFFFFFD63): Binding with Kerberos "
                       "(bind=gssapi) to dc1.vorlix.test:389"))
      << noTicket.err;
  EXPECT_TRUE(Contains(noTicket.err, "(a Kerberos ticket comes from kinit)")) << noTicket.err;

  ASSERT_EQ(Shell("echo " + ShellQuoted(samba_.adminPassword) + " | " + Environment() + " kinit " +
                  ShellQuoted("administrator@" + samba_.realm) + " >/dev/null"),
            0);
  // Over plain LDAP Kerberos signs and seals the connection itself. (Samba refuses Kerberos
  // inside TLS both with a layer of its own and without one; Active Directory takes it without.)
  const CliRun crew = Run(plain, {"members", "--kind", "group", "Deck Crew"});
  EXPECT_EQ(crew.exitCode, 0) << crew.err;
  EXPECT_EQ(Lines(crew.out), 4u) << crew.out;
  EXPECT_TRUE(Contains(crew.err, "3\tEveryone on deck\tDeck Crew.Deck.vorlix.test\n")) << crew.err;
}

}  // namespace
}  // namespace vorlix::cli::testing
