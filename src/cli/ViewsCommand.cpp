#include "cli/ViewsCommand.h"

#include <ostream>
#include <string>

#include "cli/CtlContext.h"
#include "views/CViewDefinition.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/NewViewBuilder.h"
#include "views/ViewRules.h"

namespace cli {

namespace {

constexpr int kExitAbsent = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

// The node's key below the root: "TCP/IP\Lab".
std::string ShownPath(const views::CViewNode& node) {
  const std::string path = node.Path();
  const size_t slash = path.find('\\');
  return slash == std::string::npos ? "" : path.substr(slash + 1);
}

void PrintTree(const views::CViewStore& store, const views::CViewNode& node, std::ostream& out) {
  for (const views::CViewNode* child : node.Children()) {
    out << ShownPath(*child);
    if (child->IsView()) {
      out << "\tview\t" << views::ViewRules::ProtocolText(child->Type());
      if (child == store.CurrentNode()) out << "\tcurrent";
    } else {
      out << "\tgroup";
    }
    out << "\n";
    PrintTree(store, *child, out);
  }
}

int StoreResult(CtlContext& context, std::ostream& err) {
  if (context.Store().Status() == platform::REG_OK) return 0;
  err << "portolanctl views: cannot write the settings store " << context.Store().FilePath() << ": "
      << context.StoreProblem() << "\n";
  return kExitFailed;
}

int Refuse(unsigned message, int code, std::ostream& err) {
  err << "portolanctl views: " << views::ViewRules::Text(message) << "\n";
  return code;
}

int List(ArgList& args, views::CViewStore& store, std::ostream& out, std::ostream& err) {
  if (args.Rest().size() != 1 || !args.Error().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl views list\n";
    return kExitUsage;
  }
  PrintTree(store, *store.Root(), out);
  return 0;
}

int New(ArgList& args, views::CViewStore& store, CtlContext& context, std::ostream& out,
        std::ostream& err) {
  const auto group = args.TakeOption("group");
  if (args.Rest().size() != 2 || !args.Error().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl views new NAME [--group G]\n";
    return kExitUsage;
  }
  views::CViewNode* parent = group ? store.FindNode(*group) : store.Root();
  if (parent == nullptr || parent->IsView()) {
    err << "portolanctl views: no group \"" << group.value_or("") << "\"\n";
    return kExitAbsent;
  }
  views::CViewDefinition copy(context.Settings(), store.ColumnTable());
  views::NewViewBuilder builder(store, copy);
  const unsigned refusal =
      builder.FinishDefault(parent, args.Rest()[1], views::CViewNode::kTcpIpView);
  if (refusal != views::ViewRules::kOk) return Refuse(refusal, kExitUsage, err);
  if (const int failed = StoreResult(context, err)) return failed;
  out << ShownPath(*builder.Node()) << "\n";
  return 0;
}

int Delete(ArgList& args, views::CViewStore& store, CtlContext& context, std::ostream& err) {
  if (args.Rest().size() != 2 || !args.Error().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl views delete NAME\n";
    return kExitUsage;
  }
  views::CViewNode* node = store.FindNode(args.Rest()[1]);
  if (node == nullptr) {
    err << "portolanctl views: no view or group \"" << args.Rest()[1] << "\"\n";
    return kExitAbsent;
  }
  if (const unsigned refusal = views::ViewRules::DeleteRefusal(store, node)) {
    return Refuse(refusal, kExitFailed, err);
  }
  if (!store.DeleteNode(node)) return Refuse(views::ViewRules::kMsgCannotDelete, kExitFailed, err);
  return StoreResult(context, err);
}

}  // namespace

const char* ViewsCommand::Usage() {
  return "  views list                            list the groups and views: path, kind, "
         "protocol,\n"
         "                                        and the view the desktop program opens\n"
         "  views new NAME [--group G]            make a TCP/IP view with default settings in the\n"
         "                                        group TCP/IP (made under G, default the root)\n"
         "  views delete NAME                     delete a view, or a group without views\n";
}

int ViewsCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  if (args.Rest().empty()) {
    err << "portolanctl views: say list, new or delete\n" << Usage();
    return kExitUsage;
  }
  views::CViewStore store(context.Settings(), nullptr);
  store.Open(nullptr);
  const std::string verb = args.Rest().front();
  if (verb == "list") return List(args, store, out, err);
  if (verb == "new") return New(args, store, context, out, err);
  if (verb == "delete") return Delete(args, store, context, err);
  err << "portolanctl views: unknown command \"" << verb << "\"\n" << Usage();
  return kExitUsage;
}

}  // namespace cli
