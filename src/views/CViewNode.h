// One node of the view tree: the root "Views", a group (folder) or a view, mirrored by one registry
// key below the application's root. A TCP/IP view owns the discovery engine that keeps its device
// list between visits; the store (CViewStore) owns the nodes and keeps their keys in step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace discovery {
class CDiscoveryEngine;
}

namespace views {

class CViewNode {
 public:
  enum NodeType : int {
    kRoot = 1,
    kGroup = 2,
    kTcpIpView = 6,
    kNetWareView = 7,
    kSerialView = 8,
    kIpxView = 9,
  };

  CViewNode(std::string name, int type, int icons, CViewNode* parent);
  ~CViewNode();
  CViewNode(const CViewNode&) = delete;
  CViewNode& operator=(const CViewNode&) = delete;

  const std::string& Name() const { return name_; }
  int Type() const { return type_; }
  int Icons() const { return icons_; }
  void SetIcons(int icons) { icons_ = icons; }
  CViewNode* Parent() const { return parent_; }
  const std::vector<CViewNode*>& Children() const { return children_; }

  bool IsRoot() const { return type_ == kRoot; }
  bool IsGroup() const { return type_ == kGroup; }
  // Types above 5 are views; only TCP/IP views can be searched.
  bool IsView() const { return type_ > 5; }
  bool IsSearchable() const { return type_ == kTcpIpView; }

  // The node's key below the application's root: "Views\\Group\\View".
  std::string Path() const;
  // True when node is this node or lies below it.
  bool Contains(const CViewNode* node) const;

  // The tree pane's item for this node (the toolkit's own pointer, opaque here).
  void* TreeItem() const { return treeItem_; }
  void SetTreeItem(void* item) { treeItem_ = item; }

  discovery::CDiscoveryEngine* Engine() const { return engine_.get(); }

  // Tree changes, made by the store only (the registry goes with them).
  void SetName(std::string name) { name_ = std::move(name); }
  void AddChild(CViewNode* child);
  void RemoveChild(CViewNode* child);
  void SetParent(CViewNode* parent) { parent_ = parent; }
  void SetEngine(std::unique_ptr<discovery::CDiscoveryEngine> engine);

 private:
  std::string name_;
  int type_;
  int icons_;
  CViewNode* parent_;
  std::vector<CViewNode*> children_;  // owned by the store
  void* treeItem_ = nullptr;
  std::unique_ptr<discovery::CDiscoveryEngine> engine_;
};

}  // namespace views
