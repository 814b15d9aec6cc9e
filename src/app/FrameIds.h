// The main window's private messages and the command ids of its menus, bars and accelerators,
// with the values the other parts post and the settings and logs use.
#pragma once

#include <cstdint>

namespace app {

// Private messages to the main window.
namespace msg {
constexpr uint32_t kStatusLevel = 0x8002;     // wParam: highest status level of the list
constexpr uint32_t kViewSelected = 0x800A;    // the store selected a view
constexpr uint32_t kListFocused = 0x800B;     // the list got the focus
constexpr uint32_t kTreePaneShown = 0x800C;   // wParam: the tree pane is shown
constexpr uint32_t kViewsChanged = 0x800D;    // wParam: the view to select after the rebuild
constexpr uint32_t kSaveListLayout = 0x800E;  // the list's columns were moved or resized
constexpr uint32_t kDeviceFound = 0x800F;     // wParam: CDeviceRecord*, owned by the receiver
constexpr uint32_t kSearchStatus = 0x8010;    // wParam: string id, or 0 and lParam a std::string*
constexpr uint32_t kSearchStarted = 0x8011;
constexpr uint32_t kSearchDone = 0x8012;
constexpr uint32_t kAreYouRunning = 0x8013;  // answered with kRunningCopyAnswer
constexpr uint32_t kShowByPort = 0x8015;
constexpr uint32_t kDeviceQueried = 0x8016;  // wParam: CDeviceRecord*, owned by the receiver
constexpr uint32_t kTrayIcon = 0x040A;
constexpr intptr_t kRunningCopyAnswer = 123456789;
}  // namespace msg

// Commands.
namespace cmd {
constexpr int kExit = 57665;
constexpr int kAbout = 57664;
constexpr int kHelpIndex = 32811;
constexpr int kHelp = 57670;         // F1
constexpr int kContextHelp = 57669;  // Shift+F1
constexpr int kVirtualPort = 32772;
constexpr int kConnectionStatus = 32774;
constexpr int kReset = 32777;
constexpr int kDeletePortByNumber2 = 32780;
constexpr int kDeletePortByNumber = 32804;
constexpr int kCreateNewView = 32801;
constexpr int kModifyCurrentView = 32785;
constexpr int kSelectDeleteViews = 32803;
constexpr int kRefresh = 32789;
constexpr int kStop = 32869;
constexpr int kToolBar = 32873;
constexpr int kViewBar = 32874;
constexpr int kStatusBar = 59393;
constexpr int kShowViewTree = 32816;
constexpr int kByPort = 32812;
constexpr int kMultiSelect = 32806;
constexpr int kStandardMode = 32845;
constexpr int kMultiConfigure = 32841;
constexpr int kSelectAll = 32884;
constexpr int kSelectNone = 32885;
constexpr int kNextPane = 32886;
constexpr int kSearch = 32809;
constexpr int kSetupUnlisted = 32810;
constexpr int kNetworkInformation = 32887;
constexpr int kEnterIpAddress = 32895;  // dialog 109, for a device in the list without an address
constexpr int kHttpSession = 32817;
constexpr int kTelnet = 32793;
constexpr int kSaveIpList = 32863;
constexpr int kOptions = 32892;  // the start-up options
constexpr int kOptionsSheet = 32776;
constexpr int kEmailSupport = 32882;
constexpr int kUnused9 = 32842;  // Ctrl+Alt+I
constexpr int kConfigWizard = 32799;
constexpr int kUnused3 = 32796;
constexpr int kUnused4 = 32813;
constexpr int kTrayOpen = 32889;
constexpr int kSmallIcons = 59408;
constexpr int kLargeIcons = 59409;
constexpr int kList = 59410;
constexpr int kDetails = 59411;
constexpr int kArrange = 59412;
// The tree's pop-up menu.
constexpr int kTreeOpen = 32835;
constexpr int kTreeOpenRefresh = 32861;
constexpr int kTreeOpenNewWindow = 32862;
constexpr int kTreeModify = 32826;
constexpr int kTreeDelete = 32827;
constexpr int kTreeNewView = 32839;
constexpr int kTreeNewFolder = 32838;
}  // namespace cmd

// Identifiers of the bars (band ids) and of the frame's children, used as object names.
namespace bar {
constexpr int kMainToolBar = 129;
constexpr int kViewBar = 154;
constexpr int kAnimation = 155;
constexpr int kViewSelector = 1001;
constexpr int kStatusBar = 59393;
constexpr int kTrayIconId = 189;
}  // namespace bar

}  // namespace app
