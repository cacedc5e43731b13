#include "app/core/listing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "app/core/held_listing_source.h"
#include "app/core/listing_export_source.h"
#include "app/core/member_table_model.h"
#include "app/core/startup.h"

namespace vorlix::core {
namespace {

// A group whose members' names sort one way with letter case folded in every script (as names
// are listed) and another way with only A-Z lowered (as the member table orders them): "äa"
// before "Äb" folded, but "Äb" (C3 84) before "äa" (C3 A4) byte by byte.
constexpr char kTree[] =
    "version: 1\n\ndn:\ndirectoryTreeName: LISTING\n\n"
    "dn: o=t\nobjectClass: organization\no: t\n\n"
    "dn: cn=äa,o=t\nobjectClass: inetOrgPerson\ncn: äa\nsn: x\ntelephoneNumber: 1\n\n"
    "dn: cn=Äb,o=t\nobjectClass: inetOrgPerson\ncn: Äb\nsn: x\ntelephoneNumber: 2\n\n"
    "dn: cn=Zed,o=t\nobjectClass: inetOrgPerson\ncn: Zed\nsn: x\ntelephoneNumber: 3\n\n"
    "dn: cn=b_x,o=t\nobjectClass: inetOrgPerson\ncn: b_x\nsn: x\ntelephoneNumber: 4\n\n"
    "dn: cn=Crew,o=t\nobjectClass: groupOfNames\ncn: Crew\ndescription: Mixed names\n"
    "member: cn=Zed,o=t\nmember: cn=äa,o=t\nmember: cn=b_x,o=t\nmember: cn=Äb,o=t\n\n";

class Listings : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "/listing-tree-" + std::to_string(getpid()) + ".ldif";
    std::ofstream(path_) << kTree;
    Configuration configuration;
    configuration.hasDirectory = true;
    configuration.directory.source = path_;
    const StartupResult started = RunStartupStep(state_, configuration);
    ASSERT_TRUE(started.clientStarted && started.completed);
  }
  void TearDown() override {
    Shutdown(state_);
    std::remove(path_.c_str());
  }

  MemberListing Open() {
    return MemberListing(state_, "Crew.t", Kind::Group,
                         ColumnCaptionsForKind(Kind::Group, InitialColumnCaptions()));
  }

  AppState state_;
  std::string path_;
};

TEST_F(Listings, HeadAndRowsComeInTheOrderTheTableKeeps) {
  MemberListing listing = Open();
  EXPECT_EQ(listing.Head().objectName, "Crew.t");
  EXPECT_EQ(listing.Head().description, "Mixed names");
  EXPECT_EQ(listing.Head().count, 4u);
  EXPECT_EQ(listing.Head().captions[1], "Phone");

  std::vector<std::string> read;
  MemberTableModel table;
  MemberRow row;
  while (listing.Next(row)) {
    read.push_back(row.caption);
    table.AddRow(row);
  }
  std::vector<std::string> shown;
  for (const MemberRow& placed : table.Rows()) shown.push_back(placed.caption);
  // A table or an output that takes the rows as they come shows them as the sorted table does.
  EXPECT_EQ(read, shown);
  EXPECT_EQ(read, (std::vector<std::string>{"b_x.t", "Zed.t",
                                            "\xC3\x84"
                                            "b.t",
                                            "\xC3\xA4"
                                            "a.t"}));
  EXPECT_EQ(listing.Listed(), 4u);
}

TEST_F(Listings, ExportSourceReadsEachRowOnceInOrder) {
  MemberListing listing = Open();
  std::vector<std::string> told;
  ListingExportSource source(listing,
                             [&told](const MemberRow& row) { told.push_back(row.caption); });
  EXPECT_EQ(source.ItemCount(), 4);
  EXPECT_EQ(source.ColumnCaption(0), "User");
  // The first item is read for the columns' types and again for the first record.
  EXPECT_EQ(source.ItemCaption(0), "b_x.t");
  EXPECT_EQ(source.SubItem(0, 0), "4");
  // Items skipped are read on the way.
  EXPECT_EQ(source.SubItem(2, 0), "2");
  EXPECT_EQ(told, (std::vector<std::string>{"b_x.t", "Zed.t",
                                            "\xC3\x84"
                                            "b.t"}));
  EXPECT_THROW(source.ItemCaption(1), std::logic_error);
  EXPECT_THROW(source.ItemCaption(4), exporter::EListIndexError);
  EXPECT_THROW(source.SubItem(3, 4), exporter::EListIndexError);
}

// Held for an exporter that reads the rows twice, each cell reads back as the listing gave it,
// empty cells and empty rows included, as often as asked and in any order.
TEST_F(Listings, HeldRowsReadBackCellForCell) {
  MemberListing listing = Open();
  HeldListingSource held(listing.Head().captions);
  std::vector<MemberRow> rows;
  for (MemberRow row; listing.Next(row);) rows.push_back(row);
  MemberRow gaps;
  gaps.caption = "gaps.t";
  gaps.cells = {"", "two", "", "\xC3\x84"};
  rows.push_back(gaps);
  rows.push_back(MemberRow{});
  for (const MemberRow& row : rows) held.AddRow(row);

  ASSERT_EQ(held.ItemCount(), 6);
  EXPECT_EQ(held.ColumnCaption(1), "Phone");
  for (int pass = 0; pass < 2; ++pass) {
    for (int item = held.ItemCount() - 1; item >= 0; --item) {
      const MemberRow& row = rows[static_cast<size_t>(item)];
      EXPECT_EQ(held.ItemCaption(item), row.caption);
      for (int k = 0; k < kMemberColumnCount - 1; ++k) {
        EXPECT_EQ(held.SubItem(item, k), row.cells[static_cast<size_t>(k)]) << item << " " << k;
      }
    }
  }
  EXPECT_EQ(held.SubItem(0, 0), "4");
  EXPECT_THROW(held.ItemCaption(6), exporter::EListIndexError);
  EXPECT_THROW(held.ItemCaption(-1), exporter::EListIndexError);
  EXPECT_THROW(held.SubItem(0, 4), exporter::EListIndexError);
}

}  // namespace
}  // namespace vorlix::core
