// The settings tree held in memory: keys with values in creation order and subkeys in creation
// order. Names are matched without regard to ASCII case and keep the spelling they were created
// with. A plain value type: copying it gives a snapshot that a failed write can fall back to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/NameIndex.h"
#include "platform/RegistryStore.h"

namespace platform {

class RegistryTree {
 public:
  struct Node {
    std::string name;
    std::vector<RegValue> values;
    std::vector<Node> children;
    // The places of values and children by name: a file at the size limit may hold a million
    // values under one key, and a look-up by scanning would make reading it quadratic.
    NameIndex valueAt;
    NameIndex childAt;
  };

  // Builds the tree from parsed keys. A key listed twice gets the values of both listings; a value
  // listed twice keeps its first place and its last data.
  // Taken by value: a caller done with its keys moves them in, and their values are moved.
  static RegistryTree FromKeys(std::vector<RegKeyData> keys);
  // Every key (parents before their subkeys), in creation order, with its full path.
  std::vector<RegKeyData> ToKeys() const;

  bool Empty() const { return root_.children.empty(); }

  // The key at the path (components already checked by RegistryPath::Split), or null.
  const Node* Find(const std::vector<std::string>& components) const;
  Node* Find(const std::vector<std::string>& components);
  // Creates every missing key on the path; *existed tells whether the last one was there.
  Node* Create(const std::vector<std::string>& components, bool* existed);
  // Removes the key and everything below it; false when absent.
  bool Delete(const std::vector<std::string>& components);

  static const RegValue* FindValue(const Node& key, std::string_view name);
  // Sets the value in its old place (keeping the name's first spelling) or appends it. False when
  // the value was already exactly so.
  static bool SetValue(Node* key, const RegValue& value);
  static bool DeleteValue(Node* key, std::string_view name);

 private:
  static Node* FindChild(Node* key, std::string_view name);
  // The child named name, made (and *existed set false) when there is none.
  static Node* ChildOrNew(Node* key, std::string_view name, bool* existed);
  // Indexes values just taken over whole by a node, folding a name listed twice into its first.
  static void IndexTakenValues(Node* node);
  static void Flatten(const Node& node, const std::string& path, std::vector<RegKeyData>* out);

  Node root_;
};

}  // namespace platform
