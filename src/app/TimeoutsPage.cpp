#include "app/TimeoutsPage.h"

#include <cctype>
#include <cstddef>
#include <utility>

#include "app/AppSettings.h"
#include "app/Settings.h"

namespace app {

namespace {

constexpr const char* kSection = "Timeouts";
constexpr const char* kEntries[] = {"GetTimeout",   "SetTimeout", "SnmpRetry",
                                    "ResetTimeout", "Broadcast",  "MaxBroadcast"};
constexpr int kDefaults[] = {500, 500, 3, 40, 3000, 10};

int* Member(AppSettings& stored, size_t field) {
  int* members[] = {&stored.getTimeout,   &stored.setTimeout, &stored.snmpRetry,
                    &stored.resetTimeout, &stored.broadcast,  &stored.maxBroadcast};
  return members[field];
}

}  // namespace

const char* TimeoutsPage::Label(Field field) {
  static constexpr const char* kLabels[] = {
      "SNMP &Get Timeout (1/100 s):", "SNMP &Set Timeout (1/100 s):",  "Max SNMP Get/Set &Retries:",
      "Device &Reset Timeout (s):",   "&Network Search Timeout (ms):", "&Max Search Retries:"};
  return kLabels[static_cast<size_t>(field)];
}

TimeoutsPage::TimeoutsPage(const AppSettings& stored) {
  AppSettings copy = stored;
  for (size_t field = 0; field < TimeoutsPage::kFieldCount; ++field) {
    texts_[field] = std::to_string(*Member(copy, field));
  }
}

void TimeoutsPage::SetDefaults() {
  for (size_t field = 0; field < TimeoutsPage::kFieldCount; ++field)
    texts_[field] = std::to_string(kDefaults[field]);
}

bool TimeoutsPage::Parse(const std::string& text, int* value) {
  if (text.empty() || text.size() > 6) return false;
  long number = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    number = number * 10 + (c - '0');
  }
  if (number < kMin || number > kMax) return false;
  *value = static_cast<int>(number);
  return true;
}

bool TimeoutsPage::Check(Field* badField) const {
  for (size_t field = 0; field < TimeoutsPage::kFieldCount; ++field) {
    int value = 0;
    if (!Parse(texts_[field], &value)) {
      if (badField != nullptr) *badField = static_cast<Field>(field);
      return false;
    }
  }
  return true;
}

bool TimeoutsPage::Save(AppSettings& stored, Settings& settings, Field* badField) const {
  if (!Check(badField)) return false;
  for (size_t field = 0; field < TimeoutsPage::kFieldCount; ++field) {
    int value = 0;
    Parse(texts_[field], &value);
    *Member(stored, field) = value;
    settings.WriteInt(kSection, kEntries[field], value);
  }
  return true;
}

}  // namespace app
