#include "platform/RegistryTree.h"

#include <algorithm>
#include <cstddef>

#include "platform/RegistryPath.h"

namespace platform {

RegistryTree RegistryTree::FromKeys(std::vector<RegKeyData> keys) {
  RegistryTree tree;
  std::vector<std::string> components;
  // Keys come in file order, so runs of keys under one parent are common (a script's million
  // keys): while the text before a path's last backslash is the last key's, its parent is reused.
  std::string_view parentPath;
  Node* parent = nullptr;
  for (RegKeyData& key : keys) {
    const size_t cut = key.path.rfind('\\');
    const std::string_view name = std::string_view(key.path).substr(cut + 1);
    Node* node = nullptr;
    if (parent != nullptr && cut == parentPath.size() &&
        key.path.compare(0, cut, parentPath) == 0 && RegistryPath::IsValidComponent(name)) {
      bool existed = false;
      node = ChildOrNew(parent, name, &existed);
    } else {
      if (!RegistryPath::Split(key.path, &components)) continue;  // the parser refuses these
      bool existed = false;
      node = tree.Create(components, &existed);
      components.pop_back();
      parent = components.empty() ? nullptr : tree.Find(components);
      parentPath = std::string_view(key.path).substr(0, cut == std::string::npos ? 0 : cut);
    }
    if (node->values.empty()) {
      // The usual case: the key's list becomes the node's, with no copy of a million values.
      node->values = std::move(key.values);
      IndexTakenValues(node);
      continue;
    }
    node->values.reserve(node->values.size() + key.values.size());
    node->valueAt.Reserve(node->values.size() + key.values.size());
    for (RegValue& value : key.values) {
      // Moved in when new (nearly always): a file at the size limit holds millions of them.
      if (FindValue(*node, value.name) != nullptr) {
        SetValue(node, value);
        continue;
      }
      if (value.type == RegType::Dword) value.text.clear();
      if (value.type == RegType::String) value.dword = 0;
      node->valueAt.Add(value.name, node->values.size());
      node->values.push_back(std::move(value));
    }
  }
  return tree;
}

void RegistryTree::IndexTakenValues(Node* node) {
  std::vector<RegValue>& values = node->values;
  node->valueAt.Clear();
  node->valueAt.Reserve(values.size());
  size_t kept = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    RegValue& value = values[i];
    if (value.type == RegType::Dword) value.text.clear();
    if (value.type == RegType::String) value.dword = 0;
    // Listed twice: the first place, the last data (the index holds only the kept places).
    if (FindValue(*node, value.name) != nullptr) {
      SetValue(node, value);
      continue;
    }
    if (kept != i) values[kept] = std::move(value);
    node->valueAt.Add(values[kept].name, kept);
    ++kept;
  }
  values.resize(kept);
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
  const size_t at = key->childAt.Find(
      name, [key](size_t i) -> std::string_view { return key->children[i].name; });
  return at == NameIndex::kNone ? nullptr : &key->children[at];
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
  for (const std::string& name : components) node = ChildOrNew(node, name, existed);
  return node;
}

RegistryTree::Node* RegistryTree::ChildOrNew(Node* key, std::string_view name, bool* existed) {
  if (Node* child = FindChild(key, name)) return child;
  key->childAt.Add(name, key->children.size());
  key->children.push_back(Node{std::string(name), {}, {}, {}, {}});
  *existed = false;
  return &key->children.back();
}

bool RegistryTree::Delete(const std::vector<std::string>& components) {
  if (components.empty()) return false;
  Node* parent = &root_;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    parent = FindChild(parent, components[i]);
    if (parent == nullptr) return false;
  }
  Node* const child = FindChild(parent, components.back());
  if (child == nullptr) return false;
  auto& siblings = parent->children;
  siblings.erase(siblings.begin() + (child - siblings.data()));
  parent->childAt.Clear();
  for (size_t i = 0; i < siblings.size(); ++i) parent->childAt.Add(siblings[i].name, i);
  return true;
}

const RegValue* RegistryTree::FindValue(const Node& key, std::string_view name) {
  const size_t at =
      key.valueAt.Find(name, [&key](size_t i) -> std::string_view { return key.values[i].name; });
  return at == NameIndex::kNone ? nullptr : &key.values[at];
}

bool RegistryTree::SetValue(Node* key, const RegValue& value) {
  if (RegValue* const old = const_cast<RegValue*>(FindValue(*key, value.name))) {
    const bool same =
        old->type == value.type &&
        (value.type == RegType::Dword ? old->dword == value.dword : old->text == value.text);
    if (same) return false;
    old->type = value.type;
    old->dword = value.type == RegType::Dword ? value.dword : 0;
    old->text = value.type == RegType::String ? value.text : std::string();
    return true;
  }
  RegValue added = value;
  if (added.type == RegType::Dword) added.text.clear();
  if (added.type == RegType::String) added.dword = 0;
  key->valueAt.Add(added.name, key->values.size());
  key->values.push_back(std::move(added));
  return true;
}

bool RegistryTree::DeleteValue(Node* key, std::string_view name) {
  const RegValue* const found = FindValue(*key, name);
  if (found == nullptr) return false;
  auto& values = key->values;
  values.erase(values.begin() + (found - values.data()));
  key->valueAt.Clear();
  for (size_t i = 0; i < values.size(); ++i) key->valueAt.Add(values[i].name, i);
  return true;
}

}  // namespace platform
