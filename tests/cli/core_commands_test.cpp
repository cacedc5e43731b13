#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "cli_runner.h"
#include "platform/text_encoding.h"

namespace vorlix::cli::testing {
namespace {

// Times print in UTC with the C locale's patterns (month-day-year, two-digit year).
const std::string kPinned = "LC_ALL=C TZ=UTC";
const std::string kSales = "Sales.groups.harbourline";

std::string WriteConfig(const std::string& content) {
  const std::string path = ::testing::TempDir() + "/core-cli-" + std::to_string(getpid()) + ".ini";
  std::ofstream(path) << content;
  return path;
}

TEST(CliCoreCommands, SharedPrefixNeedsAPickAndThePickListsTheGroup) {
  const CliRun several = RunCli({"members", "--kind", "group", "Sales"}, kPinned);
  EXPECT_EQ(several.exitCode, 2);
  EXPECT_EQ(several.out, "");
  EXPECT_NE(several.err.find("Sales East.groups.harbourline\nSales West.groups.harbourline\n"
                             "Sales.groups.harbourline\n"),
            std::string::npos)
      << several.err;

  const CliRun picked = RunCli({"members", "--kind", "group", "Sales", "--pick", kSales}, kPinned);
  EXPECT_EQ(picked.exitCode, 0) << picked.err;
  EXPECT_EQ(picked.out,
            "User\tPhone\t\t\t\n"
            "an.depot.harbourline\t+31 10 555 0209\t\t\t\n"
            "anna\\.berg.office.harbourline\t+31 20 555 0101\t\t\t\n"
            "bram\\.dekker.office.harbourline\t+31 20 555 0102\t\t\t\n"
            "carla\\.vos.office.harbourline\t\t\t\t\n"
            "daan\\.smit.office.harbourline\t+31 20 555 0104+31 6 5550 0104\t\t\t\n"
            "eva\\.jansen.office.harbourline\t+31 20 555 0105\t\t\t\n"
            "jan.depot.harbourline\t+31 10 555 0210\t\t\t\n"
            "mira\\.olsen.office.harbourline\t+31 20 555 0113\t\t\t\n"
            "nina\\.wouters.office.harbourline\t+31 20 555 0114\t\t\t\n");
  EXPECT_EQ(picked.err, "9\tAll sales staff\t" + kSales + "\n");

  const CliRun wrongPick =
      RunCli({"members", "--kind", "group", "Sales", "--pick", "Nope.groups.harbourline"}, kPinned);
  EXPECT_EQ(wrongPick.exitCode, 2);
  EXPECT_NE(wrongPick.err.find("Nope.groups.harbourline"), std::string::npos);
}

TEST(CliCoreCommands, WorkstationGroupAndEmptyGroup) {
  const CliRun ws = RunCli({"members", "--kind", "workstation", "Depot"}, kPinned);
  EXPECT_EQ(ws.exitCode, 0) << ws.err;
  EXPECT_EQ(ws.out,
            "Workstation\tUser\tLast login\tIP-address\tPhone\n"
            "WS-DEP-01.workstations.harbourline\tsem.depot.harbourline\t01-10-24 06:00:00\t"
            "10.2.0.21\t+31 10 555 0201\n"
            "WS-DEP-02.workstations.harbourline\tjan.depot.harbourline\t07-10-24 06:15:00\t"
            "10.2.0.22\t+31 10 555 0210\n"
            "WS-DEP-03.workstations.harbourline\t\t01-01-70 00:00:00\t\t  -\n"
            "WS-DEP-04.workstations.harbourline\tan.depot.harbourline\t09-05-24 05:30:00\t"
            "10.2.0.24\t+31 10 555 0209\n"
            "WS-DEP-05.workstations.harbourline\twendy.depot.harbourline\t12-25-23 23:00:00\t"
            "10.2.0.25\t+31 10 555 0205\n");

  const CliRun empty = RunCli({"members", "--kind", "group", "Empty"}, kPinned);
  EXPECT_EQ(empty.exitCode, 0) << empty.err;
  EXPECT_EQ(empty.out, "User\tPhone\t\t\t\n");
  EXPECT_EQ(empty.err, "0\tPlaceholder group without members\tEmpty Projects.groups.harbourline\n");
}

TEST(CliCoreCommands, TimesShowTheDateAndTheTimeInUtf8WhateverTheLocale) {
  const auto utf8 = [](const std::string& text) {
    char32_t c;
    for (size_t at = 0; at < text.size();) {
      const int length = platform::DecodeUtf8(text, at, c);
      if (length == 0) return false;
      at += static_cast<size_t>(length);
    }
    return true;
  };
  const std::vector<std::string> depot = {"members", "--kind", "workstation", "Depot"};
  const CliRun us = RunCli(depot, "LC_ALL=en_US.UTF-8 TZ=UTC");
  EXPECT_EQ(us.exitCode, 0) << us.err;
  EXPECT_NE(us.out.find("\tsem.depot.harbourline\t01-10-2024 06:00:00 AM\t"), std::string::npos)
      << us.out;
  const CliRun japan = RunCli(depot, "LC_ALL=ja_JP.EUC-JP TZ=UTC");
  EXPECT_EQ(japan.exitCode, 0) << japan.err;
  EXPECT_TRUE(utf8(japan.out) && utf8(japan.err)) << japan.out;
  EXPECT_EQ(japan.out.rfind("Workstation\tUser\tLast login\tIP-address\tPhone\n", 0), 0u);
  EXPECT_NE(japan.out.find("\t2024\xE5\xB9\xB4"
                           "01\xE6\x9C\x88"
                           "10\xE6\x97\xA5 06\xE6\x99\x82"
                           "00\xE5\x88\x86"
                           "00\xE7\xA7\x92\t"),
            std::string::npos)
      << japan.out;
}

TEST(CliCoreCommands, MailtoListsEachShortNameOnce) {
  const CliRun group = RunCli({"mailto", "--kind", "group", "Sales", "--pick", kSales}, kPinned);
  EXPECT_EQ(group.exitCode, 0) << group.err;
  EXPECT_EQ(group.out,
            "MAILTO:an;anna.berg;bram.dekker;carla.vos;daan.smit;eva.jansen;jan;mira.olsen;"
            "nina.wouters;\n");
  // Two office workstations are registered to anna.berg; one has no user.
  const CliRun ws = RunCli({"mailto", "--kind", "workstation", "Office W"}, kPinned);
  EXPECT_EQ(ws.exitCode, 0) << ws.err;
  EXPECT_EQ(ws.out, "MAILTO:anna.berg;bram.dekker;mira.olsen;\n");
}

TEST(CliCoreCommands, PhoneChainFromTheConfiguration) {
  const std::string config = WriteConfig("[SYSTEM]\nphone=1\n[PHONE]\n1=L\n2=Telephone Number\n");
  const CliRun run = RunCli(
      {"--config", config, "members", "--kind", "group", "Sales", "--pick", kSales}, kPinned);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "User\tPhone\t\t\t\n"
            "an.depot.harbourline\t -  \t\t\t\n"
            "anna\\.berg.office.harbourline\t+31 20 555 0100\t\t\t\n"
            "bram\\.dekker.office.harbourline\t+31 20 555 0100\t\t\t\n"
            "carla\\.vos.office.harbourline\t+31 20 555 0100\t\t\t\n"
            "daan\\.smit.office.harbourline\t -  \t\t\t\n"
            "eva\\.jansen.office.harbourline\t+31 20 555 0300\t\t\t\n"
            "jan.depot.harbourline\t+31 10 555 0200\t\t\t\n"
            "mira\\.olsen.office.harbourline\t+31 20 555 0100\t\t\t\n"
            "nina\\.wouters.office.harbourline\t+31 10 555 0200\t\t\t\n");
  std::remove(config.c_str());
}

TEST(CliCoreCommands, MembersThatCannotBeReadAreListedMarkedAndExitFive) {
  const std::string tree = VORLIX_TEST_DATA_DIR "/core/lookup-tree.ldif";
  const CliRun group = RunCli({"--source", tree, "members", "--kind", "group", "Mixed"}, kPinned);
  EXPECT_EQ(group.exitCode, 5);
  EXPECT_EQ(group.out,
            "User\tPhone\t\t\t\n"
            "an.sales.acme\t555-0102\t\t\t\n"
            "big.sales.acme\t(unreadable)\t\t\t\n"
            "gone.acme\t(unreadable)\t\t\t\n");
  EXPECT_EQ(group.err.rfind("vorlix-cli: 2 members or values could not be read; their cells show "
                            "\"(unreadable)\". The first: Netware error -649",
                            0),
            0u)
      << group.err;
  EXPECT_TRUE(group.err.ends_with("\n3\t\tMixed Bag.acme\n")) << group.err;

  // The marker of a registered user that could not be read is no recipient.
  const CliRun mail = RunCli({"--source", tree, "mailto", "--kind", "workstation", "Far"}, kPinned);
  EXPECT_EQ(mail.exitCode, 5);
  EXPECT_EQ(mail.out, "MAILTO:gone;\n");

  const std::string file = ::testing::TempDir() + "/unreadable-" + std::to_string(getpid());
  const CliRun exported = RunCli(
      {"--source", tree, "export", "--kind", "group", "Mixed", "--format", "csv", "--output", file},
      kPinned);
  EXPECT_EQ(exported.exitCode, 5);
  EXPECT_NE(ReadFile(file).find("\"gone.acme\";\"(unreadable)\""), std::string::npos);
  std::remove(file.c_str());
}

TEST(CliCoreCommands, BadInputGivesItsExitCode) {
  EXPECT_EQ(RunCli({"members", "--kind", "group", "zzz"}).exitCode, 1);
  EXPECT_EQ(RunCli({"members", "--kind", "printer", "x"}).exitCode, 64);
  EXPECT_EQ(RunCli({"members", "--kind", "group"}).exitCode, 64);
  EXPECT_EQ(RunCli({"mailto", "group", "--kind"}).exitCode, 64);
  const CliRun tooLong = RunCli({"members", "--kind", "group", std::string(255, 'S')});
  EXPECT_EQ(tooLong.exitCode, 64);
  EXPECT_NE(tooLong.err.find("at most 254"), std::string::npos) << tooLong.err;
  // Filter characters are searched as typed: nothing in the tree holds them.
  EXPECT_EQ(RunCli({"members", "--kind", "group", "Sales)(cn=*"}).exitCode, 1);
  EXPECT_EQ(RunCli({"members", "--kind", "group", "S*s E"}).exitCode, 0);  // "*" a wildcard
}

TEST(CliCoreCommands, ExportWritesTheTableWithTheWindowsSettings) {
  const std::string base = ::testing::TempDir() + "/core-export-" + std::to_string(getpid());
  const std::vector<std::string> lookup = {"export", "--kind", "workstation", "Depot"};
  auto exportTo = [&](const std::string& format) {
    std::vector<std::string> args = lookup;
    args.insert(args.end(), {"--format", format, "--output", base + "." + format});
    return RunCli(args, kPinned);
  };

  const CliRun csv = exportTo("csv");
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  const std::string text = ReadFile(base + ".csv");
  EXPECT_EQ(text.substr(0, text.find('\n') + 1),
            "\"Workstation\";\"User\";\"Last login\";\"IP-address\";\"Phone\"\r\n");
  EXPECT_NE(text.find("\"WS-DEP-02.workstations.harbourline\";\"jan.depot.harbourline\";"
                      "\"07-10-24 06:15:00\";\"10.2.0.22\";\"+31 10 555 0210\"\r\n"),
            std::string::npos)
      << text;

  // The other formats: each file is accepted by an independent reader.
  ASSERT_EQ(exportTo("xls").exitCode, 0);
  EXPECT_EQ(Shell("/usr/bin/python3 -c \"import sys, xlrd; s = xlrd.open_workbook(sys.argv[1])"
                  ".sheet_by_index(0); sys.exit(0 if (s.nrows, s.ncols) == (6, 5) and "
                  "s.cell_value(3, 0).startswith('WS-DEP-03') else 1)\" " +
                  base + ".xls"),
            0);
  // The workbook holds the cells of the CSV file, as openpyxl and ssconvert read them.
  const CliRun xlsx = exportTo("xlsx");
  ASSERT_EQ(xlsx.exitCode, 0) << xlsx.err;
  const std::string readers =
      "/usr/bin/python3 " VORLIX_SOURCE_DIR "/tests/export/xlsx/xlsx_readers.py csv ";
  EXPECT_EQ(Shell(readers + base + ".xlsx " + base + ".csv"), 0);
  // Through a pipe too, though the library writes files by name and seeks in them.
  std::vector<std::string> toPipe = lookup;
  toPipe.insert(toPipe.end(), {"--format", "xlsx", "--output", "-"});
  ASSERT_EQ(Shell("bash -c " + ShellQuoted("set -o pipefail; " + CliCommandLine(toPipe) +
                                           " | cat >" + ShellQuoted(base + ".xlsx"))),
            0);
  EXPECT_EQ(Shell(readers + base + ".xlsx " + base + ".csv"), 0);
  ASSERT_EQ(exportTo("pdf").exitCode, 0);
  EXPECT_EQ(Shell("qpdf --check " + base + ".pdf >/dev/null 2>&1"), 0);
  EXPECT_EQ(exportTo("sylk").exitCode, 0);
  EXPECT_EQ(ReadFile(base + ".sylk").rfind("ID;", 0), 0u);
  for (const char* format : {"csv", "xls", "xlsx", "pdf", "sylk"}) {
    std::remove((base + "." + format).c_str());
  }

  // A file that cannot be written is an export error; a bad format a usage error.
  std::vector<std::string> args = lookup;
  args.insert(args.end(), {"--format", "csv", "--output", "/dev/null/x.csv"});
  const CliRun unwritable = RunCli(args, kPinned);
  EXPECT_EQ(unwritable.exitCode, 4);
  EXPECT_NE(unwritable.err.find("/dev/null"), std::string::npos) << unwritable.err;
  args = lookup;
  args.insert(args.end(), {"--format", "zip", "--output", base + ".zip"});
  EXPECT_EQ(RunCli(args, kPinned).exitCode, 64);
  args = lookup;
  args.insert(args.end(), {"--format", "csv"});
  EXPECT_EQ(RunCli(args, kPinned).exitCode, 64);
}

}  // namespace
}  // namespace vorlix::cli::testing
