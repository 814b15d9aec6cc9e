// A fixture for the main window's commands about the device list's rows: the window's controller
// over a view store whose searches are scripted and whose list is the test's. The derived fixture
// writes its views into the settings and sets up the store, then calls OpenStore.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/FrameFakes.h"
#include "app/MainFrameController.h"
#include "app/Settings.h"
#include "app/TempDir.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "views/CViewStore.h"
#include "views/FakeDeviceList.h"
#include "views/FakeStoreHost.h"
#include "views/FrameStoreLink.h"
#include "views/ScriptedEngine.h"

class ScriptedListFixture : public ::testing::Test {
 protected:
  // Opens the view the settings name as current and attaches the store to the window.
  void OpenStore() {
    EXPECT_EQ(store_.Open(&host_), views::CViewStore::kOpenOk);
    store_.SetListControl(&list_);
    frame_.Attach(&link_, 1);  // one row per port, as after every start: Virtual Port is shown
  }

  views::test::ScriptedEngine& Engine() {
    return *static_cast<views::test::ScriptedEngine*>(store_.CurrentEngine());
  }
  // A search that found these devices, still running (as it is when the user acts at once).
  void Searching(const std::vector<discovery::test::ReplyFields>& devices) {
    store_.Refresh();
    for (const auto& device : devices) store_.AddDevice(views::test::Record(device));
  }
  // The user clicks a row of the list (which then has the focus).
  void Select(int row) {
    list_.SelectRow(row);
    face_.listFocus = true;
    face_.listSelection = list_.GetSelectedRow() >= 0;
  }

  TempDir dir_;
  platform::RegistryStore registry_{dir_.Folder() + "registry.reg"};
  app::Settings settings_{registry_};
  platform::ScriptedPrompt prompt_;  // the commands' own boxes
  views::CViewStore store_{settings_, [](const views::CViewNode&) {
                             return std::make_unique<views::test::ScriptedEngine>();
                           }};
  views::test::FakeStoreHost host_;
  views::test::FakeDeviceList list_;
  views::FrameStoreLink link_{store_};
  RecordingFace face_;
  app::MainFrameController frame_{settings_, prompt_, face_};
};
