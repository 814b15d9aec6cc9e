#include "views/CViewNode.h"

#include <algorithm>

#include "discovery/CDiscoveryEngine.h"

namespace views {

CViewNode::CViewNode(std::string name, int type, int icons, CViewNode* parent)
    : name_(std::move(name)), type_(type), icons_(icons), parent_(parent) {}

CViewNode::~CViewNode() {
  // A search still running would post records for a view that is gone.
  if (engine_) engine_->Stop();
}

std::string CViewNode::Path() const {
  if (parent_ == nullptr) return name_;
  return parent_->Path() + "\\" + name_;
}

bool CViewNode::Contains(const CViewNode* node) const {
  for (; node != nullptr; node = node->parent_) {
    if (node == this) return true;
  }
  return false;
}

void CViewNode::AddChild(CViewNode* child) {
  children_.push_back(child);
}

void CViewNode::RemoveChild(CViewNode* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

void CViewNode::SetEngine(std::unique_ptr<discovery::CDiscoveryEngine> engine) {
  if (engine_) engine_->Stop();
  engine_ = std::move(engine);
}

}  // namespace views
