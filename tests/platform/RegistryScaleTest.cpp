// A settings file with hundreds of thousands of values under one key and of keys under one parent
// (what fits the size limit): read in one pass, with every look-up, change and removal still
// finding the right entry, whatever the case of the name. Reading took quadratic time before.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/RegistryStore.h"
#include "platform/RegistryTestDir.h"

namespace platform {
namespace {

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";
constexpr uint32_t kValues = 200000;
constexpr uint32_t kKeys = 50000;

std::string Hex(uint32_t v) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", v);
  return text;
}

TEST(RegistryScaleTest, ManyValuesUnderOneKeyAndManyKeysUnderOneParentStayIndexed) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n\n[" << kRoot << "\\Big]\n";
    for (uint32_t i = 0; i < kValues; ++i) out << "\"Value" << i << "\"=dword:" << Hex(i) << "\n";
    out << "\"VALUE7\"=dword:" << Hex(77) << "\n";  // listed twice: first place, last data
    for (uint32_t i = 0; i < kKeys; ++i) {
      out << "\n[" << kRoot << "\\Ports\\Key" << i << "]\n\"N\"=dword:" << Hex(i) << "\n";
    }
  }
  RegistryStore store(file);
  ASSERT_EQ(store.Status(), REG_OK) << store.StatusText();
  const std::string big = kRoot + "\\Big";
  struct Lookup {
    std::string name;
    uint32_t expected;
  };
  for (const Lookup& l : {Lookup{"Value0", 0}, Lookup{"value7", 77},
                          Lookup{"VALUE" + std::to_string(kValues - 1), kValues - 1}}) {
    const auto value = store.GetValue(big, l.name);
    ASSERT_TRUE(value) << l.name;
    EXPECT_EQ(value->dword, l.expected) << l.name;
  }
  auto values = store.EnumValues(big);
  ASSERT_EQ(values.size(), kValues);
  EXPECT_EQ(values[7].name, "Value7");

  // A removal moves every later value up a place: each must still be found under its name.
  ASSERT_EQ(store.DeleteValue(big, "VALUE3"), REG_OK);
  EXPECT_FALSE(store.GetValue(big, "Value3"));
  EXPECT_EQ(store.GetValue(big, "Value4")->dword, 4u);
  EXPECT_EQ(store.GetValue(big, "Value" + std::to_string(kValues - 1))->dword, kValues - 1);
  ASSERT_EQ(store.SetDword(big, "value3", 33), REG_OK);  // back, now last, with its new spelling
  values = store.EnumValues(big);
  EXPECT_EQ(values.back().name, "value3");
  EXPECT_EQ(store.GetValue(big, "Value3")->dword, 33u);

  const std::string ports = kRoot + "\\Ports";
  EXPECT_EQ(store.EnumSubkeys(ports).size(), kKeys);
  EXPECT_EQ(store.GetValue(ports + "\\KEY" + std::to_string(kKeys - 1), "n")->dword, kKeys - 1);
  ASSERT_EQ(store.DeleteTree(ports + "\\key10"), REG_OK);
  EXPECT_FALSE(store.KeyExists(ports + "\\Key10"));
  EXPECT_EQ(store.GetValue(ports + "\\Key11", "N")->dword, 11u);
  EXPECT_EQ(store.GetValue(ports + "\\Key" + std::to_string(kKeys - 1), "N")->dword, kKeys - 1);
}

// Keys read in file order reuse the last key's parent: a parent spelt in another case, a key
// under another branch in between and a key listed again must all land where a lone key would.
TEST(RegistryScaleTest, KeysInFileOrderLandWhereALoneKeyWould) {
  RegistryTestDir dir;
  const std::string file = dir.File("registry.reg");
  const std::vector<std::string> keys = {"A\\x", "A\\y", "B\\z", "a\\w", "A\\X", "A\\y\\deep"};
  {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n";
    for (uint32_t i = 0; i < keys.size(); ++i) {
      out << "\n[" << kRoot << "\\" << keys[i] << "]\n\"N\"=dword:" << Hex(i) << "\n";
    }
  }
  RegistryStore store(file);
  ASSERT_EQ(store.Status(), REG_OK) << store.StatusText();
  EXPECT_EQ(store.EnumSubkeys(kRoot + "\\A"), (std::vector<std::string>{"x", "y", "w"}));
  EXPECT_EQ(store.EnumSubkeys(kRoot + "\\B"), (std::vector<std::string>{"z"}));
  EXPECT_EQ(store.GetValue(kRoot + "\\A\\x", "N")->dword, 4u);  // listed twice: last data
  EXPECT_EQ(store.GetValue(kRoot + "\\A\\w", "N")->dword, 3u);
  EXPECT_EQ(store.GetValue(kRoot + "\\A\\y\\deep", "N")->dword, 5u);
}

}  // namespace
}  // namespace platform
