// The application's synchronous SNMP requests: one object per device operation. It opens an
// engine session whose replies reach the operation's wait window, and runs Get and Set over arrays
// of variables with three attempts, waiting in the window (so the user can cancel).
//
// The engine is single-threaded: a manager runs on the thread that made it, and no two threads
// use the engine at once (callers stop any running search first).
#pragma once

#include <cstdint>
#include <string>

#include "snmp/CSnmpVarBind.h"
#include "snmp/SnmpTypes.h"

namespace platform {
class Clock;
}

namespace snmp {

class SnmpWaitWindow;

// Result codes of the request layer.
enum SnmpRequestCode : int {
  kSnmpOk = 0,
  kSnmpSessionFailed = 3075,
  kSnmpVblFailed = 3076,
  kSnmpBadAddress = 3079,
  kSnmpNoContext = 3080,
  kSnmpPduFailed = 3081,
  kSnmpSendFailed = 3088,
  kSnmpReceiveFailed = 3089,
  kSnmpReplyUnreadable = 3090,
  kSnmpNotResponse = 3091,
  kSnmpCountMismatch = 3093,
  kSnmpNoReply = 3094,
  kSnmpWrongSyntax = 3152,
  kSnmpBufferTooSmall = 3153,
  kSnmpVarBindUnreadable = 3154,
  kSnmpNothingToAsk = 3155,
  kSnmpTooBig = 3156,
  kSnmpNoSuchName = 3157,
  kSnmpBadValue = 3158,
  kSnmpReadOnly = 3159,
  kSnmpGenErr = 3160,
  kSnmpCancelled = 3161,
};

// What a code means, in a few words (for command-line output and logs).
const char* SnmpRequestCodeText(int code);

// Filled by the caller for one device operation.
struct SnmpOperationContext {
  int family = 2;            // 2 = IP
  std::string address;       // the agent, as SnmpStrToEntity takes it
  std::string getCommunity;  // at most 31 characters each
  std::string setCommunity;
  SnmpWaitWindow* wait = nullptr;
};

class CSnmpManager {
 public:
  static constexpr uint32_t kReplyMessage = 2561;  // 0xA01
  static constexpr int kDefaultTimeout = 200;      // hundredths of a second
  static constexpr int kRetries = 2;               // three sends per request
  static constexpr int kMaxSinglePdu = 18;         // variables read or written in one request
  static constexpr int kMaxPieceRounds = 9;
  static constexpr unsigned kReadingText = 6107;   // "Reading server information..."
  static constexpr unsigned kUpdatingText = 6108;  // "Updating server information..."
  static constexpr size_t kMaxCommunity = 31;

  // status receives kSnmpOk or kSnmpSessionFailed. clock times the waits of one attempt.
  CSnmpManager(const SnmpOperationContext& context, int* status);
  CSnmpManager(const SnmpOperationContext& context, int* status, platform::Clock& clock);
  ~CSnmpManager();
  CSnmpManager(const CSnmpManager&) = delete;
  CSnmpManager& operator=(const CSnmpManager&) = delete;

  void SetTimeout(int hundredths) { timeout_ = hundredths; }
  int Timeout() const { return timeout_; }
  int Retries() const { return retries_; }
  // Makes the context for community (freeing the old one); the new handle, or 0.
  HSNMP_CONTEXT SetCommunity(const std::string& community);

  // One request over count variables. 0 or a request code; the agent's error status and index
  // are handed back in every case where a reply came.
  int Get(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);
  int Set(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);

  // Many variables: one request when there are at most 18 and the agent takes them, else in
  // pieces guided by the agent's tooBig error index. The error index handed back counts from
  // vars[0], whichever piece the agent answered.
  int GetMany(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);
  int SetMany(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);

  HSNMP_SESSION Session() const { return session_; }
  SNMPAPI_STATUS LastResult() const { return lastResult_; }
  // Requests sent so far (every attempt counts).
  int Sends() const { return sends_; }

 private:
  int Request(smiUINT32 type, CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);
  int Exchange(smiUINT32 type, HSNMP_ENTITY destination, HSNMP_PDU pdu, smiINT32 requestId,
               CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);
  int WaitForReply(int timeoutMs);
  int TakeReply(smiINT32 requestId, CSnmpVarBind* vars, int count, int* errorStatus,
                int* errorIndex, bool* stale);
  int Many(bool set, CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex);
  static int MapErrorStatus(int status);

  SnmpOperationContext context_;
  platform::Clock& clock_;
  HSNMP_SESSION session_ = 0;
  int timeout_ = kDefaultTimeout;
  SNMPAPI_STATUS lastResult_ = SNMPAPI_SUCCESS;
  HSNMP_CONTEXT community_ = 0;
  int retries_ = kRetries;
  int sends_ = 0;
};

}  // namespace snmp
