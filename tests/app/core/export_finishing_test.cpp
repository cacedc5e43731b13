// The work after the last row of every format the window saves (the workbook's packaging and
// compression, the compound file, the PDF's cross-reference, the flush to disk) is reported as it
// goes, up to the moment the file takes the target's place, and an abort at any of those reports
// leaves the old file byte for byte.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "app/core/exporter_settings.h"
#include "support/member_table.h"

namespace vorlix::core {
namespace {

namespace fs = std::filesystem;
using exporter::MemoryListView;
using exporter::TMorvat3;
using exporter::TMorvat3Text;

struct Format {
  std::string suffix;
  std::function<std::unique_ptr<TMorvat3Text>(MemoryListView&)> make;
};

// A format whose exporter is set up as the window sets it up.
template <typename Exporter>
Format FormatOf(std::string suffix, void (*configure)(Exporter&, exporter::IMorvatListView*)) {
  return {std::move(suffix), [configure](MemoryListView& list) -> std::unique_ptr<TMorvat3Text> {
            auto made = std::make_unique<Exporter>();
            configure(*made, &list);
            return made;
          }};
}

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = {
      FormatOf<exporter::TMorvat3ASCII>("csv", ConfigureAsMainWindowCsvExporter),
      FormatOf<exporter::xls::TMorvat3XLS>("xls", ConfigureAsMainWindowXlsExporter),
      FormatOf<exporter::xlsx::TMorvat3XLSX>("xlsx", ConfigureAsMainWindowXlsxExporter),
      FormatOf<exporter::pdf::TMorvat3PDF>("pdf", ConfigureAsMainWindowPdfExporter),
  };
  return formats;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

class ExportFinishing : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vorlix-finishing-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Long enough for a PDF of a few hundred objects.
    exporter::testing::FillMemberTable(list_, 3000);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The names in the folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
  MemoryListView list_;
};

using Report = std::pair<uint64_t, uint64_t>;

TEST_F(ExportFinishing, EveryFormatReportsUpToTheRenameAndAnAbortAtAnyReportKeepsTheOldFile) {
  for (const Format& format : Formats()) {
    SCOPED_TRACE(format.suffix);
    const fs::path target = dir_ / ("members." + format.suffix);
    std::vector<Report> reports;
    bool inPlace = false;
    {
      const auto complete = format.make(list_);
      complete->FileName = target.string();
      complete->OnFinishing = [&](TMorvat3&, uint64_t done, uint64_t total) {
        reports.emplace_back(done, total);
        inPlace = fs::exists(target);
      };
      complete->Execute();
    }
    ASSERT_FALSE(reports.empty());
    EXPECT_FALSE(inPlace);  // the last report still comes before the rename
    EXPECT_EQ(reports.back(), Report(1, 1));
    // The assembled formats report their assembly before the flush; the share never falls.
    EXPECT_GT(reports.size(), format.suffix == "csv" ? 0u : 2u);
    double share = 0;
    for (const auto& [done, total] : reports) {
      if (total == 0) continue;
      EXPECT_GE(double(done) / double(total), share);
      share = double(done) / double(total);
    }
    EXPECT_LE(share, 1.0);

    for (const size_t at : {size_t{1}, reports.size() / 2 + 1, reports.size()}) {
      SCOPED_TRACE("stopped at report " + std::to_string(at) + " of " +
                   std::to_string(reports.size()));
      std::ofstream(target, std::ios::binary) << "the old file";
      const auto exporter = format.make(list_);
      exporter->FileName = target.string();
      size_t seen = 0;
      exporter->OnFinishing = [&](TMorvat3& sender, uint64_t, uint64_t) {
        if (++seen == at) sender.Abort();
      };
      exporter->Execute();
      EXPECT_TRUE(exporter->Aborted);
      EXPECT_EQ(ReadFile(target), "the old file");
      EXPECT_EQ(Files(), std::vector<std::string>{target.filename().string()});
    }
    fs::remove(target);
  }
}

}  // namespace
}  // namespace vorlix::core
