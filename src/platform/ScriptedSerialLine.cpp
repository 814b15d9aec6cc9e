#include "platform/ScriptedSerialLine.h"

#include <algorithm>

namespace platform {

size_t SerialScript::Count(const std::string& call) const {
  return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
}

bool ScriptedSerialLine::Configure(const SerialSettings& settings) {
  script_->calls.push_back("configure");
  script_->configurations.push_back(settings);
  return !script_->failConfigure;
}

long ScriptedSerialLine::Read(uint8_t* buffer, size_t count) {
  script_->calls.push_back("read");
  if (script_->failRead) return -1;
  // A short read stands for the time-out running out before the rest arrived.
  size_t n = std::min(count, script_->input.size());
  std::copy_n(script_->input.begin(), n, buffer);
  script_->input.erase(script_->input.begin(), script_->input.begin() + static_cast<long>(n));
  return static_cast<long>(n);
}

long ScriptedSerialLine::Write(const uint8_t* buffer, size_t count) {
  script_->calls.push_back("write");
  if (script_->failWrite) return -1;
  size_t n = count;
  if (script_->writeLimit >= 0) n = std::min(n, static_cast<size_t>(script_->writeLimit));
  std::vector<uint8_t> written(buffer, buffer + n);
  script_->output.insert(script_->output.end(), written.begin(), written.end());
  if (script_->onWrite) script_->onWrite(*script_, written);
  return static_cast<long>(n);
}

bool ScriptedSerialLine::SetBreak(bool on) {
  script_->calls.push_back(on ? "break on" : "break off");
  return true;
}

bool ScriptedSerialLine::PurgeInput() {
  script_->calls.push_back("purge");
  script_->input.clear();
  return true;
}

bool ScriptedSerialLine::ArmLineEvents() {
  script_->calls.push_back("arm");
  return !script_->failArm;
}

SerialLineEvent ScriptedSerialLine::WaitLineEvent(unsigned timeoutMs) {
  script_->calls.push_back("wait");
  script_->waitTimeouts.push_back(timeoutMs);
  if (script_->events.empty()) return SerialLineEvent::None;
  SerialLineEvent event = script_->events.front();
  script_->events.pop_front();
  return event;
}

bool ScriptedSerialLine::Close() {
  script_->calls.push_back("close");
  return !script_->failClose;
}

}  // namespace platform
