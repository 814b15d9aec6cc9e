// The options sheet's Status Icons page without its widgets: each status bit's level (Good,
// Warning, Error) from the stored masks, and the masks OK writes. Bits of the stored masks that no
// row shows are kept, so OK without changes changes nothing and asks for no refresh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

class Settings;
struct AppSettings;

class StatusIconsPage {
 public:
  enum Level : int { kGood = 0, kWarning = 1, kError = 2 };
  struct Row {
    uint32_t bit;
    const char* name;
    Level level;
  };

  explicit StatusIconsPage(const AppSettings& stored);

  const std::vector<Row>& Rows() const { return rows_; }
  // "Good", "Warning" or "Error".
  static std::string LevelText(Level level);
  void SetLevel(size_t row, Level level);
  // A double click: Good, Warning, Error, Good...
  void Cycle(size_t row);

  int WarningMask() const;
  int ErrorMask() const;
  // OK: writes SetAppIcon and, when a mask changed, both masks into stored and the settings.
  // True when a mask changed (the caller posts Refresh, 32789).
  bool Save(AppSettings& stored, Settings& settings, bool setAppIcon) const;

 private:
  int Mask(Level level, int stored) const;
  uint32_t RowBits() const;

  std::vector<Row> rows_;
  int storedWarning_;
  int storedError_;
};

}  // namespace app
