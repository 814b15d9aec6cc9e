#include "devices/CSnmpVarGroup.h"

#include <algorithm>

#include "snmp/CSnmpManager.h"
#include "snmp/SnmpTypes.h"

namespace devices {

namespace {

// One varbind list of the engine holds 32 variables. The request layer reads many variables as
// 18 and then all the rest, so a run of 50 is the most it can read; a Set goes whole first.
constexpr int kMaxReadRun = snmp::CSnmpManager::kMaxSinglePdu + static_cast<int>(kSnmpMaxVarBinds);
constexpr int kMaxWriteRun = static_cast<int>(kSnmpMaxVarBinds);

// Runs of at most run variables through request, in order; the first failure ends it. The
// error index handed back counts from vars[0].
template <typename Request>
int InRuns(snmp::CSnmpVarBind* vars, int count, int run, int* errorIndex, Request request) {
  for (int start = 0; start < count; start += run) {
    int errorStatus = 0;
    const int result =
        request(vars + start, std::min(run, count - start), &errorStatus, errorIndex);
    if (result != snmp::kSnmpOk) {
      if (*errorIndex > 0) *errorIndex += start;
      return result;
    }
  }
  return snmp::kSnmpOk;
}

}  // namespace

CSnmpVarGroup::CSnmpVarGroup(std::string root, int getTimeout, int setTimeout)
    : root_(std::move(root)), getTimeout_(getTimeout), setTimeout_(setTimeout) {}

CSnmpVarGroup::CSnmpVarGroup(std::string root, int getTimeout, int setTimeout,
                             const std::vector<std::string>& oids)
    : CSnmpVarGroup(std::move(root), getTimeout, setTimeout) {
  for (const std::string& oid : oids) Add(oid);
}

int CSnmpVarGroup::Add(std::string_view oid) {
  const bool suffix = !oid.empty() && oid.front() == '.';
  vars_.emplace_back(suffix ? root_ + std::string(oid) : std::string(oid));
  changed_.push_back(false);
  return Count() - 1;
}

int CSnmpVarGroup::Read(snmp::CSnmpManager& manager) {
  for (snmp::CSnmpVarBind& var : vars_) var.SetNull();
  manager.SetTimeout(getTimeout_);
  lastErrorIndex_ = 0;
  const int result = vars_.empty() ? snmp::kSnmpNothingToAsk
                                   : InRuns(vars_.data(), Count(), kMaxReadRun, &lastErrorIndex_,
                                            [&](snmp::CSnmpVarBind* v, int n, int* s, int* e) {
                                              return manager.GetMany(v, n, s, e);
                                            });
  read_ = result == snmp::kSnmpOk;
  return result;
}

int CSnmpVarGroup::Write(snmp::CSnmpManager& manager) {
  std::vector<snmp::CSnmpVarBind> changed;
  for (int i = 0; i < Count(); ++i) {
    if (changed_[static_cast<size_t>(i)]) changed.push_back(vars_[static_cast<size_t>(i)]);
  }
  changed_.assign(changed_.size(), false);
  lastErrorIndex_ = 0;
  if (changed.empty()) return snmp::kSnmpNothingToAsk;
  manager.SetTimeout(setTimeout_);
  return InRuns(
      changed.data(), static_cast<int>(changed.size()), kMaxWriteRun, &lastErrorIndex_,
      [&](snmp::CSnmpVarBind* v, int n, int* s, int* e) { return manager.SetMany(v, n, s, e); });
}

int CSnmpVarGroup::SetInteger(int index, int32_t value) {
  if (!InRange(index)) return kIndexOutOfRange;
  vars_[static_cast<size_t>(index)].SetInteger(value);
  changed_[static_cast<size_t>(index)] = true;
  return kOk;
}

int CSnmpVarGroup::SetText(int index, std::string_view text) {
  if (!InRange(index)) return kIndexOutOfRange;
  vars_[static_cast<size_t>(index)].SetString(text);
  changed_[static_cast<size_t>(index)] = true;
  return kOk;
}

int CSnmpVarGroup::GetInteger(int index, int32_t* value) const {
  if (!InRange(index)) return kIndexOutOfRange;
  return vars_[static_cast<size_t>(index)].GetInteger(value);
}

int CSnmpVarGroup::GetText(int index, std::string* text) const {
  if (!InRange(index)) return kIndexOutOfRange;
  return vars_[static_cast<size_t>(index)].GetText(text);
}

bool CSnmpVarGroup::IsChanged(int index) const {
  return InRange(index) && changed_[static_cast<size_t>(index)];
}

std::string CSnmpVarGroup::OidText(int index) const {
  return InRange(index) ? vars_[static_cast<size_t>(index)].OidText() : std::string();
}

}  // namespace devices
