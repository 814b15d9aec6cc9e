// The view selector of the view bar (1001): the views, then "<<Create New View>>". Choosing a view
// selects it in the tree and opens it (32861 with refresh-always, else 32835); choosing the last
// entry asks for a new view (32801).
#pragma once

#include <QComboBox>
#include <functional>

#include "app/FramePanes.h"

namespace views {

class CLeftView;
class CViewStore;

class ViewSelector : public QComboBox, public app::FrameViewSelector {
  Q_OBJECT

 public:
  ViewSelector(CViewStore& store, CLeftView& tree, QWidget* parent = nullptr);

  void SetCommandPoster(std::function<void(int)> post) { post_ = std::move(post); }
  void SetRefreshAlways(bool on) { refreshAlways_ = on; }

  // app::FrameViewSelector
  QWidget* Widget() override { return this; }
  void Fill() override;
  void SelectCurrentView() override;

 private:
  void OnActivated(int index);

  CViewStore& store_;
  CLeftView& tree_;
  std::function<void(int)> post_;
  bool refreshAlways_ = false;
};

}  // namespace views
