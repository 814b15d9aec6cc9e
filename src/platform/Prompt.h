// Message boxes, shown by whichever thread asks. The GUI implementation shows a QMessageBox on the
// GUI thread (a calling worker thread blocks until it is answered); the console one prints a line
// on stderr and takes the default answer; the scripted one answers from a list (tests).
#pragma once

#include <string>

namespace platform {

// Button sets, icons and answers keep the Windows values that callers and logs use.
enum PromptType : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_TYPEMASK = 0xF,
  MB_ICONHAND = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
  MB_ICONMASK = 0xF0,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
};

enum PromptAnswer : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

class Prompt {
 public:
  virtual ~Prompt() = default;
  // Shows text with caption; type is a button set | icon | default button. Returns the answer.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;
};

// The answer a box of this type gives when nobody can answer it (the default button).
int DefaultAnswer(unsigned type);

// The process-wide prompt. Until one is installed, a console prompt answers.
Prompt& CurrentPrompt();
void InstallPrompt(Prompt* prompt);  // nullptr restores the console prompt

}  // namespace platform
