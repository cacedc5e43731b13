// Every object name vorlix-cli prints reads back: generated awkward names (dots, backslashes, a
// trailing one too, "+", commas, quotes, blanks, letters beyond ASCII) are listed by find, the
// member table in TSV and JSON, the CSV export and the list read, and each name printed, passed
// to read and to --pick, finds its object, with the embedded client and the LDAP client alike.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>

#include "../support/csv_table.h"
#include "cli_runner.h"
#include "platform/case_fold.h"
#include "scratch_tree.h"

namespace vorlix::cli::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// Names of 2 to 4 pieces, each piece plain or awkward; a blank never at either end.
std::vector<std::string> GeneratedNames(std::mt19937& random, size_t count,
                                        std::set<std::string>& folded) {
  static const std::vector<std::string> pieces = {
      "a",        "Zo", ".", "\\", "\\.", "+", ",",  "\"", " x",       "\xC3\xA9",
      "\xC3\x84", "=",  ";", "*",  "(",   "#", "<>", "..", "\xC3\x9F", "\xE6\x97\xA5\xE6\x9C\xAC"};
  std::vector<std::string> names;
  while (names.size() < count) {
    std::string name = "n";
    const size_t length = 2 + random() % 3;
    for (size_t i = 0; i < length; ++i) name += pieces[random() % pieces.size()];
    if (random() % 3 == 0) name += "\\";  // a trailing backslash
    if (folded.insert(platform::FoldCase(name)).second) names.push_back(name);
  }
  return names;
}

// The TSV field as a script reads it: \t, \n, \r and \\ are escapes, any other backslash itself.
std::string FromTsv(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size()) {
      const char next = field[i + 1];
      if (next == 't' || next == 'n' || next == 'r' || next == '\\') {
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
        ++i;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// The values of key in a JSON array of flat objects of strings, in order.
std::vector<std::string> FromJson(const std::string& json, const std::string& key) {
  std::vector<std::string> values;
  const std::string quotedKey = "\"" + key + "\": \"";
  for (size_t at = json.find(quotedKey); at != std::string::npos;
       at = json.find(quotedKey, at + 1)) {
    std::string value;
    for (size_t i = at + quotedKey.size(); i < json.size() && json[i] != '"'; ++i) {
      if (json[i] != '\\') {
        value += json[i];
        continue;
      }
      const char escape = json[++i];
      if (escape == 'u') {
        const unsigned code = std::stoul(json.substr(i + 1, 4), nullptr, 16);
        i += 4;
        if (code < 0x80) {
          value += static_cast<char>(code);
        } else if (code < 0x800) {
          value += {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 63))};
        } else {
          value +=
              {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 63)),
               static_cast<char>(0x80 | (code & 63))};
        }
      } else {
        value += escape == 'n' ? '\n' : escape == 't' ? '\t' : escape == 'r' ? '\r' : escape;
      }
    }
    values.push_back(value);
  }
  return values;
}

// The first field of each line but the caption line of a CSV export.
std::vector<std::string> FromCsv(const std::string& csv) {
  std::vector<std::string> firsts;
  const vorlix::testing::CsvTable table = vorlix::testing::ParseCsv(csv, ';');
  for (size_t r = 1; r < table.size(); ++r) firsts.push_back(table[r].front());
  return firsts;
}

class CliNamesRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 random(20240105);
    std::set<std::string> folded;
    users_ = GeneratedNames(random, 12, folded);
    groups_ = GeneratedNames(random, 4, folded);
    const std::string branch = tree_.Branch();
    std::string entries;
    for (size_t i = 0; i < users_.size(); ++i) {
      entries += "dn:: " + Base64("cn=" + DnValue(users_[i]) + "," + branch) +
                 "\nobjectClass: inetOrgPerson\ncn:: " + Base64(users_[i]) +
                 "\nsn: U\ntelephoneNumber: 555-" + std::to_string(100 + i) + "\n\n";
    }
    for (size_t g = 0; g < groups_.size(); ++g) {
      entries += "dn:: " + Base64("cn=" + DnValue(groups_[g]) + "," + branch) +
                 "\nobjectClass: groupOfNames\ncn:: " + Base64(groups_[g]) + "\n";
      for (size_t i = g; i < users_.size(); i += 2) {
        entries += "member:: " + Base64("cn=" + DnValue(users_[i]) + "," + branch) + "\n";
      }
      entries += "\n";
    }
    tree_.Write(entries);
  }

  CliRun Run(const std::string& source, std::vector<std::string> args) const {
    args.insert(args.begin(), {"--source", source});
    return RunCli(args, "LC_ALL=C.UTF-8 TZ=UTC");
  }

  // Every name the source prints for the generated tree; each form must print the same names.
  // Returns the group and member names printed.
  std::pair<std::vector<std::string>, std::vector<std::string>> PrintedNames(
      const std::string& source) {
    const CliRun found = Run(source, {"find", "--kind", "group", "n"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    const std::vector<std::string> groups = Lines(found.out);
    EXPECT_EQ(groups.size(), groups_.size()) << found.out;
    std::vector<std::string> members;
    for (size_t g = 0; g < groups.size(); ++g) {
      const std::string& group = groups[g];
      const std::vector<std::string> lookup = {"--kind", "group", "n", "--pick", group};
      std::vector<std::string> args = {"members"};
      args.insert(args.end(), lookup.begin(), lookup.end());
      const CliRun tsv = Run(source, args);
      EXPECT_EQ(tsv.exitCode, 0) << group << "\n" << tsv.err;
      std::vector<std::string> fromTsv;
      const std::vector<std::string> rows = Lines(tsv.out);
      for (size_t r = 1; r < rows.size(); ++r)
        fromTsv.push_back(FromTsv(rows[r].substr(0, rows[r].find('\t'))));
      args.insert(args.end(), {"--format", "json"});
      EXPECT_EQ(FromJson(Run(source, args).out, "User"), fromTsv) << group;
      const std::string file = tree_.TempPath("export.csv");
      args = {"export"};
      args.insert(args.end(), lookup.begin(), lookup.end());
      args.insert(args.end(), {"--format", "csv", "--output", file});
      EXPECT_EQ(Run(source, args).exitCode, 0) << group;
      EXPECT_EQ(FromCsv(ReadFile(file)), fromTsv) << group;
      std::remove(file.c_str());
      std::vector<std::string> listed = Lines(Run(source, {"read", "--list", group, "Member"}).out);
      std::sort(listed.begin(), listed.end());
      std::vector<std::string> sortedTsv = fromTsv;
      std::sort(sortedTsv.begin(), sortedTsv.end());
      EXPECT_EQ(listed, sortedTsv) << group;
      for (const std::string& member : fromTsv) {
        if (std::find(members.begin(), members.end(), member) == members.end())
          members.push_back(member);
      }
    }
    return {groups, members};
  }

  // Each printed name read back finds an object whose common name is one generated.
  void ExpectReadBack(const std::string& source, const std::vector<std::string>& names,
                      const std::vector<std::string>& generated) {
    for (const std::string& name : names) {
      const CliRun read = Run(source, {"read", name, "CN"});
      EXPECT_EQ(read.exitCode, 0) << name << "\n" << read.err;
      EXPECT_NE(std::find(generated.begin(), generated.end(), Lines(read.out).front()),
                generated.end())
          << name << " read as " << read.out;
    }
  }

  ScratchTree tree_{"names"};
  std::vector<std::string> users_, groups_;
};

TEST_F(CliNamesRoundTrip, EveryPrintedNameFindsItsObjectWithBothClients) {
  const auto [groups, members] = PrintedNames(tree_.File());
  EXPECT_EQ(members.size(), users_.size());
  ExpectReadBack(tree_.File(), groups, groups_);
  ExpectReadBack(tree_.File(), members, users_);

  const std::string ldap = tree_.ServerSource();
  const auto [ldapGroups, ldapMembers] = PrintedNames(ldap);
  EXPECT_EQ(ldapGroups, groups);
  EXPECT_EQ(ldapMembers, members);
  ExpectReadBack(ldap, ldapGroups, groups_);
  ExpectReadBack(ldap, ldapMembers, users_);
}

}  // namespace
}  // namespace vorlix::cli::testing
