#include "SnmpAgent.h"

#include "snmp/SnmpApi.h"

namespace devsim {

namespace {

// The engine needs its task record before anything else; starting it again would forget the
// handles of whoever else in this process uses it, so it is started only when nobody has.
void EnsureEngine() {
  if (SnmpGetLastError(0) == SNMPAPI_NOT_INITIALIZED) {
    SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr);
  }
}

// One engine session for one datagram; closing it frees every handle made on it.
class ScopedSession {
 public:
  ScopedSession() {
    EnsureEngine();
    handle_ = SnmpOpen(nullptr, 0);
  }
  ~ScopedSession() {
    if (handle_ != 0) SnmpClose(handle_);
  }
  ScopedSession(const ScopedSession&) = delete;
  ScopedSession& operator=(const ScopedSession&) = delete;
  HSNMP_SESSION get() const { return handle_; }

 private:
  HSNMP_SESSION handle_ = 0;
};

std::string Normalised(const std::string& oid) {
  return snmp::CSnmpVarBind(oid).OidText();
}

void FreeValue(smiVALUE* value) {
  if (value->syntax == SNMP_SYNTAX_OID) {
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &value->value.oid);
  } else if (value->syntax == SNMP_SYNTAX_OCTETS || value->syntax == SNMP_SYNTAX_IPADDR ||
             value->syntax == SNMP_SYNTAX_OPAQUE || value->syntax == SNMP_SYNTAX_NSAPADDR ||
             value->syntax == SNMP_SYNTAX_BITS) {
    SnmpFreeDescriptor(value->syntax, &value->value.string);
  }
}

}  // namespace

struct SnmpAgent::Parsed {
  std::string community;
  smiUINT32 type = 0;
  smiINT32 requestId = 0;
  std::vector<snmp::CSnmpVarBind> request;  // as asked
  std::vector<snmp::CSnmpVarBind> answer;   // with the agent's values
  int answeredStatus = 0;
};

void SnmpAgent::SetVariable(const std::string& oid, const snmp::CSnmpVarBind& value,
                            bool writable) {
  Variable variable{value, writable};
  variable.value.SetOid(oid);
  variables_[Normalised(oid)] = std::move(variable);
}

void SnmpAgent::SetInteger(const std::string& oid, int32_t value, bool writable) {
  snmp::CSnmpVarBind vb;
  vb.SetInteger(value);
  SetVariable(oid, vb, writable);
}

void SnmpAgent::SetString(const std::string& oid, const std::string& value, bool writable) {
  snmp::CSnmpVarBind vb;
  vb.SetString(value);
  SetVariable(oid, vb, writable);
}

bool SnmpAgent::RemoveVariable(const std::string& oid) {
  return variables_.erase(Normalised(oid)) > 0;
}

const snmp::CSnmpVarBind* SnmpAgent::Find(const std::string& oid) const {
  const auto it = variables_.find(Normalised(oid));
  return it == variables_.end() ? nullptr : &it->second.value;
}

bool SnmpAgent::Decode(const uint8_t* data, size_t size, Parsed* parsed) {
  if (data == nullptr || size == 0 || size > kSnmpMaxMessage) return false;
  ScopedSession session;
  if (session.get() == 0) return false;
  smiOCTETS message{static_cast<smiUINT32>(size), const_cast<uint8_t*>(data)};
  HSNMP_CONTEXT context = 0;
  HSNMP_PDU pdu = 0;
  if (SnmpDecodeMsg(session.get(), nullptr, nullptr, &context, &pdu, &message) != size) {
    return false;
  }
  smiOCTETS community{0, nullptr};
  if (SnmpContextToStr(context, &community) == SNMPAPI_FAILURE) return false;
  parsed->community.assign(reinterpret_cast<const char*>(community.ptr), community.len);
  SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &community);
  HSNMP_VBL list = 0;
  if (SnmpGetPduData(pdu, &parsed->type, &parsed->requestId, nullptr, nullptr, &list) ==
          SNMPAPI_FAILURE ||
      list == 0) {
    return false;
  }
  const smiUINT32 count = SnmpCountVbl(list);
  for (smiUINT32 i = 1; i <= count; ++i) {
    smiOID oid{0, nullptr};
    smiVALUE value{};
    if (SnmpGetVb(list, i, &oid, &value) == SNMPAPI_FAILURE) return false;
    snmp::CSnmpVarBind vb;
    const int assigned = vb.Assign(oid, value);
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
    FreeValue(&value);
    if (assigned != snmp::CSnmpVarBind::kOk) return false;
    parsed->request.push_back(std::move(vb));
  }
  return !parsed->request.empty();
}

// Looks every variable up (Get) or checks every write (Set). 0 or an error status.
int SnmpAgent::Process(Parsed* parsed, int* errorIndex) {
  parsed->answer = parsed->request;
  for (size_t i = 0; i < parsed->request.size(); ++i) {
    const snmp::CSnmpVarBind& asked = parsed->request[i];
    *errorIndex = static_cast<int>(i + 1);
    const auto it = variables_.find(asked.OidText());
    if (it == variables_.end()) return kNoSuchName;
    if (parsed->type == SNMP_PDU_GET) {
      parsed->answer[i] = it->second.value;
      parsed->answer[i].SetOid(asked.OidText());
      continue;
    }
    if (!it->second.writable) return kReadOnly;
    if (asked.Syntax() != it->second.value.Syntax()) return kBadValue;
  }
  *errorIndex = 0;
  return 0;
}

std::vector<uint8_t> SnmpAgent::Encode(const Parsed& parsed, int status, int index, bool withValues,
                                       size_t count) {
  const std::vector<snmp::CSnmpVarBind>& vbs = withValues ? parsed.answer : parsed.request;
  ScopedSession session;
  if (session.get() == 0 || parsed.community.empty()) return {};
  HSNMP_VBL list = SnmpCreateVbl(session.get(), nullptr, nullptr);
  if (list == 0) return {};
  for (size_t i = 0; i < count && i < vbs.size(); ++i) {
    const smiOID oid = vbs[i].Oid();
    const smiVALUE value = vbs[i].Value();
    if (SnmpSetVb(list, 0, &oid, &value) == SNMPAPI_FAILURE) return {};
  }
  HSNMP_PDU pdu =
      SnmpCreatePdu(session.get(), SNMP_PDU_RESPONSE, parsed.requestId, status, index, list);
  smiOCTETS text{static_cast<smiUINT32>(parsed.community.size()),
                 reinterpret_cast<smiLPBYTE>(const_cast<char*>(parsed.community.data()))};
  HSNMP_CONTEXT context = SnmpStrToContext(session.get(), &text);
  if (pdu == 0 || context == 0) return {};
  smiOCTETS out{0, nullptr};
  if (SnmpEncodeMsg(session.get(), 0, 0, context, pdu, &out) == SNMPAPI_FAILURE) return {};
  std::vector<uint8_t> bytes(out.ptr, out.ptr + out.len);
  SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &out);
  return bytes;
}

std::vector<uint8_t> SnmpAgent::Answer(const uint8_t* data, size_t size) {
  ++requests_;
  Parsed parsed;
  if (!Decode(data, size, &parsed) ||
      (parsed.type != SNMP_PDU_GET && parsed.type != SNMP_PDU_SET)) {
    ++refused_;
    return {};
  }
  const bool set = parsed.type == SNMP_PDU_SET;
  const bool communityOk = parsed.community == config_.setCommunity ||
                           (!set && parsed.community == config_.getCommunity);
  if (!communityOk) {
    ++refused_;
    return {};
  }
  SnmpAgentRequest entry;
  entry.set = set;
  entry.vars = parsed.request;
  std::vector<uint8_t> reply;
  if (!config_.silent && !(set && config_.ignoreSets)) reply = Respond(&parsed);
  entry.answered = !reply.empty();
  entry.status = parsed.answeredStatus;
  Logged(entry);
  return reply;
}

void SnmpAgent::Logged(const SnmpAgentRequest& request) {
  log_.push_back(request);
  if (request.set && onSet_) onSet_(request);
}

// The answer to a request taken: values, an error status, or tooBig when it does not fit.
std::vector<uint8_t> SnmpAgent::Respond(Parsed* parsed) {
  const bool set = parsed->type == SNMP_PDU_SET;
  int index = 0;
  int status = config_.forcedStatus;
  if (status != 0) {
    index = config_.forcedIndex;
  } else if (set && config_.setErrorStatus != 0) {
    status = config_.setErrorStatus;
    index = config_.setErrorIndex;
  } else {
    status = Process(parsed, &index);
  }
  std::vector<uint8_t> reply;
  if (status == 0) {
    const size_t n = parsed->answer.size();
    reply = Encode(*parsed, 0, 0, true, n);
    const size_t limit = config_.tooBigAbove == 0 ? kSnmpMaxMessage : config_.tooBigAbove;
    if (reply.empty() || reply.size() > limit) {
      // The index names the first variable that no longer fits.
      size_t fit = 0;
      while (fit < n) {
        const std::vector<uint8_t> part = Encode(*parsed, 0, 0, true, fit + 1);
        if (part.empty() || part.size() > limit) break;
        ++fit;
      }
      status = kTooBig;
      index = static_cast<int>(fit + 1);
    }
  }
  if (status == 0 && set) {
    for (const snmp::CSnmpVarBind& asked : parsed->request) {
      Variable& variable = variables_[asked.OidText()];
      const std::string oid = asked.OidText();
      variable.value = asked;
      writes_.push_back({oid, asked});
    }
  }
  if (status != 0) {
    reply = Encode(*parsed, status, index, false, parsed->request.size());
  } else if (config_.answerAtMost != 0 && config_.answerAtMost < parsed->answer.size()) {
    reply = Encode(*parsed, 0, 0, true, config_.answerAtMost);
  }
  if (reply.empty()) {
    ++refused_;
    return {};
  }
  parsed->answeredStatus = status;
  ++answered_;
  requestSizes_.push_back(parsed->request.size());
  return reply;
}

void AddDeviceVariables(SnmpAgent& agent, const std::string& root, int ports) {
  agent.SetString("1.3.6.1.2.1.1.1.0", "Portolan simulated device server", false);
  agent.SetString("1.3.6.1.2.1.1.4.0", "admin@example.com");
  agent.SetString("1.3.6.1.2.1.1.5.0", "DEVSIM");
  agent.SetString("1.3.6.1.2.1.1.6.0", "Lab bench 3");
  agent.SetString(root + ".1.9.0", "6.2.1 (sim)", false);
  for (int n = 1; n <= ports; ++n) {
    const std::string port = std::to_string(n);
    agent.SetString(root + ".6.2.3.2.1.16." + port, "Generic\tprinter " + port, false);
    agent.SetString(root + ".6.2.3.2.1.15." + port, "MFG:Sim;MDL:Printer" + port + ";", false);
  }
  // The wireless group; link type 1 is wired, so the rest counts only when a test sets 2.
  agent.SetInteger(root + ".8.3.18.0", 1);
  agent.SetString(root + ".8.3.16.0", "Excellent");
  agent.SetString(root + ".8.3.4.0", "portolan-lab");
  agent.SetString(root + ".8.3.10.0", "portolan-lab");
  agent.SetInteger(root + ".8.3.3.0", 11);
  agent.SetInteger(root + ".8.3.1.0", 3);
  agent.SetInteger(root + ".8.3.12.0", 87);
  agent.SetString(root + ".8.3.17.0", "WPA2");
  agent.SetInteger(root + ".8.3.19.0", 1);
  // Commands: writing 2 to .2.2.0 resets, to .2.4.0 restores all defaults.
  for (int i = 1; i <= 4; ++i) agent.SetInteger(root + ".2." + std::to_string(i) + ".0", 1);
  // Protocols: two enabled, of types 1 and 3.
  agent.SetString(root + ".1.1.0", "protocols");
  agent.SetInteger(root + ".1.15.1.0", 2);
  agent.SetInteger(root + ".6.1.2.0", 1);
  agent.SetString(root + ".1.15.2.1.2.1", "LPD");
  agent.SetInteger(root + ".1.15.2.1.3.1", 1);
  agent.SetString(root + ".1.15.2.1.2.2", "IPP");
  agent.SetInteger(root + ".1.15.2.1.3.2", 3);
  // Restore variables.
  for (const char* suffix :
       {".6.2.2.1.0", ".6.3.1.3.1.0", ".6.3.2.3.1.0", ".6.3.3.3.1.0", ".6.3.5.3.1.0"}) {
    agent.SetInteger(root + suffix, 1);
  }
}

}  // namespace devsim
