// The options sheet's Timeouts page without its widgets: the six values as the edits show them,
// "Set To Defaults", and OK, which refuses anything but a whole number from 1 to 360000 (stored as
// a DWORD, a larger value could read back negative). The search timeout is in milliseconds.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <utility>

namespace app {

class Settings;
struct AppSettings;

class TimeoutsPage {
 public:
  enum Field : int { kGet, kSet, kRetries, kReset, kSearch, kSearchRetries, kFieldCount };
  static constexpr int kMin = 1;
  static constexpr int kMax = 360000;
  static constexpr const char* kRefused = "Please enter a positive integer.";
  // The edits' labels; the search timeout holds milliseconds.
  static const char* Label(Field field);

  explicit TimeoutsPage(const AppSettings& stored);

  const std::string& Text(Field field) const { return texts_[static_cast<size_t>(field)]; }
  void SetText(Field field, std::string text) {
    texts_[static_cast<size_t>(field)] = std::move(text);
  }
  void SetDefaults();
  // False with *badField set (when given) when a value would be refused on OK.
  bool Check(Field* badField) const;
  // OK: false (nothing written) with *badField set when a value is refused; else the six values
  // go into stored and the "Timeouts" section.
  bool Save(AppSettings& stored, Settings& settings, Field* badField) const;

  static bool Parse(const std::string& text, int* value);

 private:
  std::array<std::string, kFieldCount> texts_;
};

}  // namespace app
