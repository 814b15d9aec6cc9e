// The definition of the current view: its columns and their widths, sort order, display filter,
// refresh interval and search settings, loaded from the view's registry key and written back
// value by value as they change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "discovery/SearchPlan.h"

namespace app {
class Settings;
}
namespace discovery {
class CDeviceColumnTable;
class CDeviceRecord;
}  // namespace discovery

namespace views {

class CViewDefinition {
 public:
  static constexpr int kNoColumn = 255;
  static constexpr int kMaxColumns = 29;
  static constexpr int kTcpIpViewType = 6;

  // Results of Save.
  enum SaveResult : int {
    kSaveNoSearch = 0,
    kSaveColumnsOnly = 101,  // rebuild the list without searching
    kSaveNeedsSearch = 102,
  };

  // Registry value names in the view's key.
  static constexpr const char* kColumns = "Columns";
  static constexpr const char* kColWidths = "ColWidths";
  static constexpr const char* kSort = "Sort";
  static constexpr const char* kFilter = "Filter";
  static constexpr const char* kFilterValue = "FilterValue";
  static constexpr const char* kRefresh = "Refresh";
  static constexpr const char* kNetSearchBuild = "NetSearchBuild";
  static constexpr const char* kListBuild = "ListBuild";

  CViewDefinition(app::Settings& settings, const discovery::CDeviceColumnTable& columns);

  // Reads the view stored at section (a key below the application's root, "Views\\Name"),
  // named after its last part. Views of other types than TCP/IP cannot search: false for them.
  bool Load(const std::string& section, int type = kTcpIpViewType);
  // Writes what changed and clears the change flags. One of SaveResult.
  int Save();
  // Writes Columns and ColWidths at once (the list after the user moved or resized columns).
  void SaveColumns(const std::string& columns, const std::string& widths);
  // Reads Columns and ColWidths of the view's key again (after SaveColumns).
  void ReloadColumns();

  const std::string& Name() const { return name_; }
  const std::string& Section() const { return section_; }
  const discovery::CDeviceColumnTable& ColumnTable() const { return table_; }

  // Column i of the list (kNoColumn past the end); SetColumn sets it (appending when i is the
  // count), and an unknown title ends the list there.
  int GetColumn(int i) const;
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  void SetColumn(int i, const std::string& title);
  bool HasColumn(int index) const;
  // The stored width of the list's column i, or 0 when it has none (fit it).
  int ColumnWidth(int i) const;

  int GetSortColumn() const { return sortColumn_; }
  bool IsSortDescending() const { return sortDescending_; }
  void SetSort(int column, bool descending, bool saveNow);

  int GetFilterColumn() const { return filterColumn_; }
  void SetFilterColumn(int column);
  const std::vector<std::string>& FilterValues() const { return filterValues_; }
  // Values are stored joined by commas: a comma inside a value becomes "*" (which still matches
  // it), and an empty value is not taken.
  void AddFilterValue(const std::string& text, bool clearFirst);

  const std::vector<std::string>& SearchEntries() const { return searchEntries_; }
  // Empty entries are not taken: stored, one would hide every entry after it.
  void AddSearchEntry(const std::string& text, bool clearFirst);

  bool GetSearchLocal() const { return searchLocal_; }
  void SetSearchLocal(bool on);
  bool GetSearchList() const { return searchList_; }
  void SetSearchList(bool on);
  int GetRefresh() const { return refresh_; }
  void SetRefresh(int seconds);
  // Sets fitting when set is true; returns whether columns are fitted to their data.
  bool FitColumns(bool set, bool value);
  bool FitsColumns() const { return fitColumns_; }

  bool HasPerPortColumn() const;
  bool HasWirelessColumn() const;
  bool HasFirmwareColumn() const;
  bool HasLocationColumn() const;
  bool IsChanged() const;

  // True when the row of record passes the display filter.
  bool KeepsRow(const discovery::CDeviceRecord& record) const;
  bool KeepsText(std::string_view text) const;
  // The filter's pattern match: "*" stands for any run of characters; letters compare without
  // regard to case. A pattern ending in "*" needs at least one character for it.
  static bool MatchesPattern(std::string_view text, std::string_view pattern);

  // What a search of this view does.
  discovery::SearchPlan MakeSearchPlan() const;

 private:
  struct Changes {
    bool columns = false, search = false, list = false, refresh = false, sort = false,
         filter = false, fitting = false;
  };

  void LoadColumns(const std::string& titles, const std::string& widths);
  std::string ColumnTitles() const;
  std::string EntryName(size_t i) const;
  void SaveSearchList();
  void SaveSort();
  bool AnyColumn(bool (discovery::CDeviceColumnTable::*test)(int) const) const;

  app::Settings& settings_;
  const discovery::CDeviceColumnTable& table_;
  std::string section_;
  std::string name_;
  std::vector<int> columns_;
  std::vector<int> widths_;  // per list column; 0 = none stored
  int sortColumn_ = 0;
  bool sortDescending_ = false;
  int filterColumn_ = kNoColumn;
  std::vector<std::string> filterValues_;
  std::vector<std::string> searchEntries_;
  int refresh_ = 0;
  bool searchLocal_ = true;
  bool searchList_ = false;
  bool fitColumns_ = true;
  Changes changed_;
};

}  // namespace views
