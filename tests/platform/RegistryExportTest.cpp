// The export-format codec: exact text for known trees, and refusal (with the line) of bad text.
#include <gtest/gtest.h>

#include "platform/RegistryStore.h"

namespace platform {
namespace {

RegValue Dword(const std::string& name, uint32_t v) {
  RegValue r;
  r.name = name;
  r.type = RegType::Dword;
  r.dword = v;
  return r;
}

RegValue Text(const std::string& name, const std::string& v) {
  RegValue r;
  r.name = name;
  r.type = RegType::String;
  r.text = v;
  return r;
}

bool SameValues(const std::vector<RegValue>& a, const std::vector<RegValue>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].type != b[i].type) return false;
    if (a[i].type == RegType::Dword ? a[i].dword != b[i].dword : a[i].text != b[i].text) {
      return false;
    }
  }
  return true;
}

TEST(RegistryExport, FormatsExactText) {
  std::vector<RegKeyData> keys = {
      {"HKEY_CURRENT_USER", {}},
      {"HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General",
       {Dword("RunIndex", 11), Text("Location", "C:\\Program Files\\Portolan\\"), Text("", "dflt"),
        Dword("Max", 0xFFFFFFFFu)}},
  };
  EXPECT_EQ(FormatRegistryExport(keys),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General]\n"
            "\"RunIndex\"=dword:0000000b\n"
            "\"Location\"=\"C:\\\\Program Files\\\\Portolan\\\\\"\n"
            "@=\"dflt\"\n"
            "\"Max\"=dword:ffffffff\n"
            "\n");
}

TEST(RegistryExport, EmptyTreeIsHeaderOnly) {
  EXPECT_EQ(FormatRegistryExport({}), "Windows Registry Editor Version 5.00\n\n");
  const RegParseResult r = ParseRegistryExport("Windows Registry Editor Version 5.00\n\n");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.keys.empty());
}

TEST(RegistryExport, EscapesRoundTrip) {
  std::string every;
  for (int c = 0; c < 256; ++c) every.push_back(static_cast<char>(c));
  const std::vector<std::string> texts = {
      "",          "a\"b", "back\\slash\\",        "line1\nline2\r\n",
      "tab\there", every,  "\\n is not a newline", "\"\""};
  std::vector<RegKeyData> keys = {{"HKCU\\K", {}}};
  for (size_t i = 0; i < texts.size(); ++i) {
    keys[0].values.push_back(Text("n" + std::to_string(i) + texts[i], texts[i]));
  }
  const std::string text = FormatRegistryExport(keys);
  // Whatever the strings hold, each value stays on one line.
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 2u + 1u + texts.size() + 1u);
  const RegParseResult r = ParseRegistryExport(text);
  ASSERT_TRUE(r.ok) << r.error << " at line " << r.errorLine;
  ASSERT_EQ(r.keys.size(), 1u);
  EXPECT_TRUE(SameValues(r.keys[0].values, keys[0].values));
}

TEST(RegistryExport, ControlBytesUseShortOrHexEscapes) {
  const std::string text =
      FormatRegistryExport({{"H", {Text("a", std::string("\n\r\t\x01\x7f\0", 6))}}});
  EXPECT_NE(text.find("\"a\"=\"\\n\\r\\t\\x01\\x7f\\x00\"\n"), std::string::npos) << text;
}

TEST(RegistryExport, ParsesWindowsStyleInput) {
  const RegParseResult r = ParseRegistryExport(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\Ports\\COM5]  \r\n"
      "\"PortFlags\"=dword:0000000A\r\n"
      "\"IpAddr\"=\"192.168.1.20\"\r\n"
      "@=dword:1\r\n"
      "\"Raw\"=\"with\ttab\"\r\n"
      "[HKEY_CURRENT_USER\\Odd]Name]\r\n");
  ASSERT_TRUE(r.ok) << r.error << " at line " << r.errorLine;
  ASSERT_EQ(r.keys.size(), 2u);
  EXPECT_EQ(r.keys[0].path, "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\Ports\\COM5");
  EXPECT_TRUE(SameValues(r.keys[0].values, {Dword("PortFlags", 10), Text("IpAddr", "192.168.1.20"),
                                            Dword("", 1), Text("Raw", "with\ttab")}));
  EXPECT_EQ(r.keys[1].path, "HKEY_CURRENT_USER\\Odd]Name");
}

std::string DeepPath(size_t depth) {
  std::string path = "HKCU";
  for (size_t i = 1; i < depth; ++i) path += "\\k";
  return path;
}

TEST(RegistryExport, KeyDepthIsBounded) {
  const RegParseResult deepest =
      ParseRegistryExport("Windows Registry Editor Version 5.00\n\n[" + DeepPath(512) + "]\n");
  EXPECT_TRUE(deepest.ok) << deepest.error;
  const RegParseResult tooDeep =
      ParseRegistryExport("Windows Registry Editor Version 5.00\n\n[" + DeepPath(513) + "]\n");
  EXPECT_FALSE(tooDeep.ok);
  EXPECT_EQ(tooDeep.errorLine, 3u);
  RegistryStore store("");
  EXPECT_EQ(store.CreateKey(DeepPath(512)), REG_OK);
  EXPECT_EQ(store.CreateKey(DeepPath(513)), REG_INVALID);
  EXPECT_EQ(store.SetDword(DeepPath(100000), "x", 1), REG_INVALID);
}

struct BadCase {
  const char* name;
  std::string text;
  size_t line;
};

class RegistryExportBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(RegistryExportBad, RefusedWithLine) {
  const RegParseResult r = ParseRegistryExport(GetParam().text);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errorLine, GetParam().line);
  EXPECT_FALSE(r.error.empty());
  EXPECT_TRUE(r.keys.empty());
}

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";

INSTANTIATE_TEST_SUITE_P(
    Vectors, RegistryExportBad,
    ::testing::Values(BadCase{"Empty", "", 1}, BadCase{"NoHeader", "[HKCU]\n", 1},
                      BadCase{"OldHeader", "REGEDIT4\n\n[HKCU]\n", 1},
                      BadCase{"HeaderPrefix", "Windows Registry Editor Version 5.001\n", 1},
                      BadCase{"ValueBeforeKey", kHead + "\"a\"=dword:1\n", 3},
                      BadCase{"UnclosedKey", kHead + "[HKCU\\A\n", 3},
                      BadCase{"EmptyKey", kHead + "[]\n", 3},
                      BadCase{"EmptyComponent", kHead + "[HKCU\\\\A]\n", 3},
                      BadCase{"TrailingBackslash", kHead + "[HKCU\\]\n", 3},
                      BadCase{"ControlInKey", kHead + "[HKCU\\A\x01]\n", 3},
                      BadCase{"Garbage", kHead + "[HKCU]\nhello\n", 4},
                      BadCase{"NoEquals", kHead + "[HKCU]\n\"a\" dword:1\n", 4},
                      BadCase{"UnterminatedName", kHead + "[HKCU]\n\"abc\n", 4},
                      BadCase{"UnterminatedText", kHead + "[HKCU]\n\"a\"=\"abc\n", 4},
                      BadCase{"DanglingEscape", kHead + "[HKCU]\n\"a\"=\"abc\\", 4},
                      BadCase{"UnknownEscape", kHead + "[HKCU]\n\"a\"=\"\\q\"\n", 4},
                      BadCase{"ShortHexEscape", kHead + "[HKCU]\n\"a\"=\"\\x4\"\n", 4},
                      BadCase{"BadHexEscape", kHead + "[HKCU]\n\"a\"=\"\\xg0\"\n", 4},
                      BadCase{"RawControl", kHead + "[HKCU]\n\"a\"=\"x\x02y\"\n", 4},
                      BadCase{"NineDigitDword", kHead + "[HKCU]\n\"a\"=dword:000000001\n", 4},
                      BadCase{"EmptyDword", kHead + "[HKCU]\n\"a\"=dword:\n", 4},
                      BadCase{"NegativeDword", kHead + "[HKCU]\n\"a\"=dword:-1\n", 4},
                      BadCase{"HexType", kHead + "[HKCU]\n\"a\"=hex:01,02\n", 4},
                      BadCase{"ExpandType", kHead + "[HKCU]\n\"a\"=hex(2):41,00\n", 4},
                      BadCase{"MissingData", kHead + "[HKCU]\n\"a\"=\n", 4},
                      BadCase{"TextAfterValue", kHead + "[HKCU]\n\"a\"=\"b\"c\n", 4},
                      BadCase{"TextAfterDword", kHead + "[HKCU]\n\"a\"=dword:1 x\n", 4},
                      BadCase{"LaterLine",
                              kHead + "[HKCU]\n\"a\"=dword:1\n\n[HKCU\\B]\n\"b\"=\"ok\"\n@=zz\n",
                              8}),
    [](const ::testing::TestParamInfo<BadCase>& p) { return std::string(p.param.name); });

TEST(RegistryExportRecover, KeepsEveryWellFormedLineAndCountsTheOthers) {
  const std::string text = kHead +
                           "[HKCU\\A]\n\"a\"=dword:1\n\"bad\"=qword:1\n\"b\"=\"two\"\n\n"
                           "[HKCU\\B\n\"lost\"=dword:2\n\n"
                           "[HKCU\\C]\nhello\n@=\"c\"\n";
  const RegParseResult r = RecoverRegistryExport(text);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.skippedLines, 4u);  // the qword, the unclosed key and its value, "hello"
  EXPECT_EQ(r.errorLine, 5u);
  ASSERT_EQ(r.keys.size(), 2u);
  EXPECT_EQ(r.keys[0].path, "HKCU\\A");
  EXPECT_TRUE(SameValues(r.keys[0].values, {Dword("a", 1), Text("b", "two")}));
  EXPECT_EQ(r.keys[1].path, "HKCU\\C");
  EXPECT_TRUE(SameValues(r.keys[1].values, {Text("", "c")}));
  // The strict reading of the same text takes nothing.
  EXPECT_TRUE(ParseRegistryExport(text).keys.empty());
}

TEST(RegistryExportRecover, GoodTextIsReadAsTheStrictReadingReadsIt) {
  const std::string text = kHead + "[HKCU\\A]\n\"a\"=dword:1\n";
  const RegParseResult r = RecoverRegistryExport(text);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.skippedLines, 0u);
  ASSERT_EQ(r.keys.size(), 1u);
  EXPECT_TRUE(SameValues(r.keys[0].values, {Dword("a", 1)}));
}

TEST(RegistryExportRecover, MissingHeaderIsReportedAndAKeyOnTheFirstLineKept) {
  const RegParseResult keyFirst = RecoverRegistryExport("[HKCU\\A]\n\"a\"=dword:1\n");
  EXPECT_FALSE(keyFirst.ok);
  EXPECT_EQ(keyFirst.errorLine, 1u);
  EXPECT_EQ(keyFirst.skippedLines, 0u);
  ASSERT_EQ(keyFirst.keys.size(), 1u);
  const RegParseResult garbage = RecoverRegistryExport("this is not a registry file\n");
  EXPECT_FALSE(garbage.ok);
  EXPECT_EQ(garbage.skippedLines, 1u);
  EXPECT_TRUE(garbage.keys.empty());
  EXPECT_FALSE(RecoverRegistryExport("\n[HKCU]\n").ok);
}

}  // namespace
}  // namespace platform
