// A static text that is a link: it shows the address (or another text) underlined and opens the
// address through the launcher when clicked or activated from the keyboard.
#pragma once

#include <QLabel>
#include <string>

namespace platform {
class Launcher;
}

namespace ui {

class CStaticLink : public QLabel {
 public:
  // launcher null: the process-wide launcher at the time of the click. text empty: the address.
  CStaticLink(const std::string& address, const std::string& text = {},
              platform::Launcher* launcher = nullptr, QWidget* parent = nullptr);

  const std::string& Address() const { return address_; }
  // Opens the address; false when nothing took it (or there is no address).
  bool Open();

 private:
  std::string address_;
  platform::Launcher* launcher_;
};

}  // namespace ui
