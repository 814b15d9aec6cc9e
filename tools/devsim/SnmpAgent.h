// The simulated device's SNMP agent: SNMPv1 Get and Set over a table of variables (the device's
// private MIB and a few standard ones), with faults on request for tests: tooBig above a response
// size, a fixed error status, silence, and late answers (the delay is the caller's to honour).
//
// It decodes and encodes with Portolan's own SNMP engine, so it must run on the thread that owns
// the engine in its process (or in a process of its own).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "snmp/CSnmpVarBind.h"

namespace devsim {

struct SnmpAgentConfig {
  std::string getCommunity = "public";
  std::string setCommunity = "private";
  // Responses longer than this many octets become tooBig (0: only the engine's 1408 limit).
  size_t tooBigAbove = 0;
  // Every request is answered with this error status and index (0: none).
  int forcedStatus = 0;
  int forcedIndex = 0;
  // Answers carry at most this many varbinds (0: all), as a faulty agent might.
  size_t answerAtMost = 0;
  bool silent = false;      // requests are read and counted, never answered
  bool ignoreSets = false;  // Sets are logged but never answered (Gets still are)
  // Every Set is answered with this error status and index (0: none); nothing is written.
  int setErrorStatus = 0;
  int setErrorIndex = 1;
  uint32_t delayMs = 0;  // how late answers leave (the server that sends them honours it)
};

// What a Set did, in order.
struct SnmpAgentWrite {
  std::string oid;
  snmp::CSnmpVarBind value;
};

// One request the agent took (its community was right), in order of arrival.
struct SnmpAgentRequest {
  bool set = false;
  std::vector<snmp::CSnmpVarBind> vars;  // as sent: the OIDs, and for a Set the values
  int status = 0;                        // the error status answered (0: none or no answer)
  bool answered = false;
};

class SnmpAgent {
 public:
  static constexpr int kTooBig = 1, kNoSuchName = 2, kBadValue = 3, kReadOnly = 4, kGenErr = 5;

  explicit SnmpAgent(SnmpAgentConfig config = {}) : config_(std::move(config)) {}

  SnmpAgentConfig& Config() { return config_; }
  const SnmpAgentConfig& Config() const { return config_; }

  // Adds or replaces a variable; writable variables take Sets of the same syntax.
  void SetVariable(const std::string& oid, const snmp::CSnmpVarBind& value, bool writable = true);
  void SetInteger(const std::string& oid, int32_t value, bool writable = true);
  void SetString(const std::string& oid, const std::string& value, bool writable = true);
  bool RemoveVariable(const std::string& oid);
  // The variable's current value, or nullptr.
  const snmp::CSnmpVarBind* Find(const std::string& oid) const;

  // The answer to one request datagram; empty when there is none (silence, a wrong community,
  // a datagram that is not a request).
  std::vector<uint8_t> Answer(const uint8_t* data, size_t size);

  uint64_t Requests() const { return requests_; }
  uint64_t Answered() const { return answered_; }
  uint64_t Refused() const { return refused_; }
  const std::vector<SnmpAgentWrite>& Writes() const { return writes_; }
  const std::vector<SnmpAgentRequest>& RequestLog() const { return log_; }
  // Told of every Set taken, once its fate (answered or not, and the status) is known.
  void OnSet(std::function<void(const SnmpAgentRequest&)> observer) {
    onSet_ = std::move(observer);
  }
  // Varbind counts of the requests answered, in order.
  const std::vector<size_t>& RequestSizes() const { return requestSizes_; }

 private:
  struct Variable {
    snmp::CSnmpVarBind value;
    bool writable = true;
  };
  struct Parsed;

  bool Decode(const uint8_t* data, size_t size, Parsed* parsed);
  int Process(Parsed* parsed, int* errorIndex);
  std::vector<uint8_t> Encode(const Parsed& parsed, int status, int index, bool withValues,
                              size_t count);
  std::vector<uint8_t> Respond(Parsed* parsed);
  void Logged(const SnmpAgentRequest& request);

  SnmpAgentConfig config_;
  std::map<std::string, Variable> variables_;
  uint64_t requests_ = 0;
  uint64_t answered_ = 0;
  uint64_t refused_ = 0;
  std::vector<SnmpAgentWrite> writes_;
  std::vector<size_t> requestSizes_;
  std::vector<SnmpAgentRequest> log_;
  std::function<void(const SnmpAgentRequest&)> onSet_;
};

// Fills agent with a device's private MIB under root (and sysContact, sysName, sysLocation):
// firmware version, per-port printer values, the wireless group, the command variables, the
// protocols and their table, and the restore variables, all with plausible values.
void AddDeviceVariables(SnmpAgent& agent, const std::string& root, int ports);

}  // namespace devsim
