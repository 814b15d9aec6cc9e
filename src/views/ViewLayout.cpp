#include "views/ViewLayout.h"

#include "discovery/CDeviceColumnTable.h"
#include "views/CViewDefinition.h"
#include "views/CViewNode.h"

namespace views {

using namespace discovery;

ViewLayout ViewLayout::WizardStart() {
  ViewLayout layout;
  layout.columns = {kColSystemName, kColIpAddress, kColHwAddress, kColVirtualPort, kColPortNumber};
  layout.sortColumn = kColSystemName;
  return layout;
}

ViewLayout ViewLayout::DefaultFor(int type) {
  ViewLayout layout = WizardStart();
  if (type == CViewNode::kNetWareView) {
    layout.columns = {kColNwName, kColSerialNumber, kColNetworkNumber, kColVirtualPort,
                      kColPortNumber};
    layout.sortColumn = kColNwName;
  } else if (type == CViewNode::kSerialView) {
    layout.columns = {kColSystemName, kColHwAddress, kColSerialPort, kColVirtualPort,
                      kColPortNumber};
    layout.searchLocal = false;
    layout.searchList = true;
    layout.searchEntries = {"COM1"};
    layout.icons = kSerialViewIcons;
  }
  return layout;
}

void ViewLayout::ApplyTo(CViewDefinition& definition) const {
  const CDeviceColumnTable& table = definition.ColumnTable();
  for (size_t i = 0; i < columns.size(); ++i) {
    definition.SetColumn(static_cast<int>(i), table.Title(columns[i]));
  }
  definition.SetSearchLocal(searchLocal);
  definition.SetSearchList(searchList);
  definition.AddSearchEntry("", true);
  for (const std::string& entry : searchEntries) definition.AddSearchEntry(entry, false);
  definition.SetSort(sortColumn, false, false);
}

}  // namespace views
