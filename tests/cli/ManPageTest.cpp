// The manual pages in docs/man/ against the programs' own --help: every command and option that
// --help names must be in the page, so that a new command cannot land undocumented.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"

namespace {

const std::string kBin = std::string(PORTOLAN_BINARY_DIR) + "/bin/";
const std::string kManDir = std::string(PORTOLAN_SOURCE_DIR) + "/docs/man/";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = text->find(from); at != std::string::npos;
       at = text->find(from, at + to.size())) {
    text->replace(at, from.size(), to);
  }
}

// A roff line as it reads on screen, near enough to find names in it: the macro name, font
// changes and quotes dropped, escaped minus signs and backslashes made plain, blanks single.
std::string PlainRoff(std::string line) {
  if (!line.empty() && line[0] == '.') {
    const size_t space = line.find(' ');
    line = space == std::string::npos ? "" : line.substr(space + 1);
  }
  for (const char* font : {"\\fB", "\\fI", "\\fR", "\\fP", "\""}) ReplaceAll(&line, font, "");
  ReplaceAll(&line, "\\-", "-");
  ReplaceAll(&line, "\\e", "\\");
  std::string plain;
  for (char c : line) {
    if (c == ' ' && (plain.empty() || plain.back() == ' ')) continue;
    plain += c;
  }
  while (!plain.empty() && plain.back() == ' ') plain.pop_back();
  return plain;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The lowercase word (letters, digits, '-') that starts at text[at], or "" when none starts there
// or the word runs into another kind of character.
std::string WordAt(const std::string& text, size_t at) {
  if (at >= text.size() || text[at] < 'a' || text[at] > 'z') return "";
  size_t end = at;
  while (end < text.size() && IsNameChar(text[end])) ++end;
  if (end < text.size() && text[end] != ' ') return "";
  return text.substr(at, end - at);
}

struct ManPage {
  std::string plainText;                  // every line, plain
  std::vector<std::string> commandLines;  // the bold lines of section COMMANDS, plain
};

ManPage ParseManPage(const std::string& roff) {
  ManPage page;
  std::string section;
  for (const std::string& line : Lines(roff)) {
    if (line.rfind(".SH ", 0) == 0) section = PlainRoff(line);
    const std::string plain = PlainRoff(line);
    page.plainText += plain + "\n";
    if (section == "COMMANDS" && line.rfind(".B ", 0) == 0) page.commandLines.push_back(plain);
  }
  return page;
}

// "settings get", "run", ...: the first one or two lowercase words of each line of the Commands
// list of portolanctl's help that is indented by two spaces.
std::vector<std::string> HelpCommands(const std::string& help) {
  std::vector<std::string> commands;
  bool inCommands = false;
  for (const std::string& line : Lines(help)) {
    if (line == "Commands:") {
      inCommands = true;
      continue;
    }
    if (!line.empty() && line[0] != ' ') inCommands = false;
    if (!inCommands || line.rfind("  ", 0) != 0) continue;
    std::string name = WordAt(line, 2);
    if (name.empty()) continue;
    const std::string verb = WordAt(line, 2 + name.size() + 1);
    if (!verb.empty()) name += " " + verb;
    if (std::find(commands.begin(), commands.end(), name) == commands.end()) {
      commands.push_back(name);
    }
  }
  return commands;
}

// Every "--name" in the text.
std::set<std::string> LongOptions(const std::string& text) {
  std::set<std::string> options;
  for (size_t at = text.find("--"); at != std::string::npos; at = text.find("--", at + 2)) {
    size_t end = at + 2;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    if (end > at + 2 && text[at + 2] != '-') options.insert(text.substr(at, end - at));
  }
  return options;
}

std::vector<std::string> MissingCommands(const std::vector<std::string>& commands,
                                         const ManPage& page) {
  std::vector<std::string> missing;
  for (const std::string& command : commands) {
    bool found = false;
    for (const std::string& line : page.commandLines) {
      found = found || line == command || line.rfind(command + " ", 0) == 0;
    }
    if (!found) missing.push_back(command);
  }
  return missing;
}

std::vector<std::string> MissingOptions(const std::set<std::string>& options, const ManPage& page) {
  const std::set<std::string> documented = LongOptions(page.plainText);
  std::vector<std::string> missing;
  for (const std::string& option : options) {
    if (documented.count(option) == 0) missing.push_back(option);
  }
  return missing;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string HelpOf(const std::string& program) {
  const ProcessResult result = RunProcess(kBin + program, {"--help"});
  EXPECT_EQ(result.exitCode, 0) << program << " --help";
  return result.out;
}

TEST(ManPage, PortolanctlDescribesEveryCommandOfItsHelp) {
  const std::vector<std::string> commands = HelpCommands(HelpOf("portolanctl"));
  // The list is read from the help text's layout: an empty list means that layout changed.
  ASSERT_GE(commands.size(), 7u) << "no commands read from portolanctl --help";
  const ManPage page = ParseManPage(ReadFile(kManDir + "portolanctl.1"));
  EXPECT_EQ(Joined(MissingCommands(commands, page)), "")
      << "commands of portolanctl --help missing from docs/man/portolanctl.1 (add each as a\n"
         ".TP / .B line in section COMMANDS)";
}

// The options of program --help that docs/man/<program>.1 does not name, joined.
std::string UndocumentedOptions(const std::string& program, size_t atLeast) {
  const std::set<std::string> options = LongOptions(HelpOf(program));
  EXPECT_GE(options.size(), atLeast) << "too few options read from " << program << " --help";
  return Joined(MissingOptions(options, ParseManPage(ReadFile(kManDir + program + ".1"))));
}

TEST(ManPage, PortolanctlDescribesEveryOptionOfItsHelp) {
  EXPECT_EQ(UndocumentedOptions("portolanctl", 10), "")
      << "options of portolanctl --help missing from docs/man/portolanctl.1";
}

TEST(ManPage, DevsimDescribesEveryOptionOfItsHelp) {
  EXPECT_EQ(UndocumentedOptions("portolan-devsim", 20), "")
      << "options of portolan-devsim --help missing from docs/man/portolan-devsim.1";
}

TEST(ManPage, DesktopProgramDescribesItsCommandLine) {
  const ManPage page = ParseManPage(ReadFile(kManDir + "portolan.1"));
  for (const char* option : {"/new", "/v VIEW", "/ns"}) {
    EXPECT_NE(page.plainText.find(option), std::string::npos) << option;
  }
}

// The checks themselves: a command or option that the page lacks is reported, one in a heading
// or in running text is not, and a longer option does not stand for a shorter one.
TEST(ManPage, ChecksReportWhatThePageLacks) {
  const std::string help =
      "Usage: x\n\nCommands:\n"
      "  ports add COMn IP DEVPORT [--hw HWADDR]\n"
      "                                        store a port\n"
      "  views list                            list views\n"
      "  reset IP [--wait S]                   reset\n"
      "    SECTION is a key path\n"
      "\nOptions:\n  --help       show this help\n";
  EXPECT_EQ(Joined(HelpCommands(help)), "ports add, views list, reset");
  const ManPage page = ParseManPage(
      ".SH COMMANDS\n.TP\n.B ports add \\fICOMn\\fP \\fR[\\fB\\-\\-hw\\fR]\n"
      "Text about \\fBreset\\fP and \\-\\-wait\\-long.\n.SH OPTIONS\n.B \\-\\-help\n");
  EXPECT_EQ(Joined(MissingCommands(HelpCommands(help), page)), "views list, reset");
  EXPECT_EQ(Joined(MissingOptions(LongOptions(help), page)), "--wait");
}

}  // namespace
