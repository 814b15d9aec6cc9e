#include "platform/RegistryTree.h"

#include <algorithm>

#include "platform/RegistryPath.h"

namespace platform {

RegistryTree RegistryTree::FromKeys(const std::vector<RegKeyData>& keys) {
  RegistryTree tree;
  std::vector<std::string> components;
  for (const RegKeyData& key : keys) {
    if (!RegistryPath::Split(key.path, &components)) continue;  // the parser refuses these
    bool existed = false;
    Node* node = tree.Create(components, &existed);
    for (const RegValue& value : key.values) SetValue(node, value);
  }
  return tree;
}

std::vector<RegKeyData> RegistryTree::ToKeys() const {
  std::vector<RegKeyData> out;
  for (const Node& hive : root_.children) Flatten(hive, hive.name, &out);
  return out;
}

void RegistryTree::Flatten(const Node& node, const std::string& path,
                           std::vector<RegKeyData>* out) {
  out->push_back(RegKeyData{path, node.values});
  for (const Node& child : node.children) Flatten(child, path + "\\" + child.name, out);
}

RegistryTree::Node* RegistryTree::FindChild(Node* key, std::string_view name) {
  for (Node& child : key->children) {
    if (RegistryPath::EqualNoCase(child.name, name)) return &child;
  }
  return nullptr;
}

const RegistryTree::Node* RegistryTree::Find(const std::vector<std::string>& components) const {
  return const_cast<RegistryTree*>(this)->Find(components);
}

RegistryTree::Node* RegistryTree::Find(const std::vector<std::string>& components) {
  Node* node = &root_;
  for (const std::string& name : components) {
    node = FindChild(node, name);
    if (node == nullptr) return nullptr;
  }
  return node == &root_ ? nullptr : node;
}

RegistryTree::Node* RegistryTree::Create(const std::vector<std::string>& components,
                                         bool* existed) {
  Node* node = &root_;
  *existed = true;
  for (const std::string& name : components) {
    Node* child = FindChild(node, name);
    if (child == nullptr) {
      node->children.push_back(Node{name, {}, {}});
      child = &node->children.back();
      *existed = false;
    }
    node = child;
  }
  return node;
}

bool RegistryTree::Delete(const std::vector<std::string>& components) {
  if (components.empty()) return false;
  Node* parent = &root_;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    parent = FindChild(parent, components[i]);
    if (parent == nullptr) return false;
  }
  auto& siblings = parent->children;
  const auto it = std::find_if(siblings.begin(), siblings.end(), [&](const Node& n) {
    return RegistryPath::EqualNoCase(n.name, components.back());
  });
  if (it == siblings.end()) return false;
  siblings.erase(it);
  return true;
}

const RegValue* RegistryTree::FindValue(const Node& key, std::string_view name) {
  for (const RegValue& value : key.values) {
    if (RegistryPath::EqualNoCase(value.name, name)) return &value;
  }
  return nullptr;
}

bool RegistryTree::SetValue(Node* key, const RegValue& value) {
  for (RegValue& old : key->values) {
    if (!RegistryPath::EqualNoCase(old.name, value.name)) continue;
    const bool same =
        old.type == value.type &&
        (value.type == RegType::Dword ? old.dword == value.dword : old.text == value.text);
    if (same) return false;
    old.type = value.type;
    old.dword = value.type == RegType::Dword ? value.dword : 0;
    old.text = value.type == RegType::String ? value.text : std::string();
    return true;
  }
  RegValue added = value;
  if (added.type == RegType::Dword) added.text.clear();
  if (added.type == RegType::String) added.dword = 0;
  key->values.push_back(std::move(added));
  return true;
}

bool RegistryTree::DeleteValue(Node* key, std::string_view name) {
  auto& values = key->values;
  const auto it = std::find_if(values.begin(), values.end(), [&](const RegValue& v) {
    return RegistryPath::EqualNoCase(v.name, name);
  });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

}  // namespace platform
