#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/IpListExport.h"
#include "app/TempDir.h"
#include "platform/FileChooser.h"

namespace app {
namespace {

TEST(IpListExport, SkipsRepeatsUnconfiguredAddressesAndOtherRows) {
  const std::vector<IpListRow> rows = {
      {0x00000000, "10.0.0.1"},        {0x00010000, "10.0.0.1"},  // the same server twice
      {0x00010001, "198.102.102.254"}, {0x00000002, "192.0.0.192"},
      {0x00000003, "0.0.0.0"},         {0x00020004, "10.0.0.9"},  // a row of another kind
      {0x00000005, "10.0.0.2"},        {0x00000006, "10.0.0.1"},  // not right after its twin
  };
  EXPECT_EQ(IpListExport::Addresses(rows),
            (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.1"}));
  // A repeat counts against the address written, not the row before.
  EXPECT_EQ(IpListExport::Addresses({{0, "10.0.0.1"}, {0, "0.0.0.0"}, {0, "10.0.0.1"}}),
            (std::vector<std::string>{"10.0.0.1"}));
}

TEST(IpListExport, WritesTheChosenFileOrReports5024) {
  TempDir dir;
  platform::ScriptedFileChooser files;
  std::vector<int> errors;
  auto report = [&](int code) { errors.push_back(code); };
  const std::vector<IpListRow> rows = {{0, "10.0.0.1"}, {0, "10.0.0.2"}};

  EXPECT_EQ(IpListExport::Save(files, rows, report), IpListExport::Result::kCancelled);
  ASSERT_EQ(files.Requests().size(), 1u);
  EXPECT_EQ(files.Requests()[0].title, "Save Current List");
  EXPECT_EQ(files.Requests()[0].fileName, "belmark_addr.txt");

  const std::string path = dir.Folder() + "list.txt";
  { std::ofstream(path) << "old contents that are longer than the list\n"; }
  files.QueueAnswer(path);
  EXPECT_EQ(IpListExport::Save(files, rows, report), IpListExport::Result::kSaved);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "10.0.0.1\n10.0.0.2\n");

  files.QueueAnswer(dir.Folder() + "missing/list.txt");
  EXPECT_EQ(IpListExport::Save(files, rows, report), IpListExport::Result::kFailed);
  EXPECT_EQ(errors, std::vector<int>{5024});
}

}  // namespace
}  // namespace app
