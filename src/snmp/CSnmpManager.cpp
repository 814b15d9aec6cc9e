#include "snmp/CSnmpManager.h"

#include <algorithm>
#include <limits>

#include "platform/Clock.h"
#include "platform/SystemClock.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpSessionSockets.h"
#include "snmp/SnmpWaitWindow.h"

namespace snmp {

namespace {

// Frees the handles of one request on every path.
struct RequestHandles {
  HSNMP_ENTITY destination = 0;
  HSNMP_VBL vbl = 0;
  HSNMP_PDU pdu = 0;
  ~RequestHandles() {
    if (pdu != 0) SnmpFreePdu(pdu);
    if (vbl != 0) SnmpFreeVbl(vbl);
    if (destination != 0) SnmpFreeEntity(destination);
  }
};

void FreeValueContents(smiVALUE* value) {
  if (value->syntax == SNMP_SYNTAX_OID) {
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &value->value.oid);
  } else if (value->syntax == SNMP_SYNTAX_OCTETS || value->syntax == SNMP_SYNTAX_BITS ||
             value->syntax == SNMP_SYNTAX_IPADDR || value->syntax == SNMP_SYNTAX_OPAQUE ||
             value->syntax == SNMP_SYNTAX_NSAPADDR) {
    SnmpFreeDescriptor(value->syntax, &value->value.string);
  }
}

// The variables of a reply, read into copies first so that a bad varbind changes nothing.
int ReadReplyList(HSNMP_VBL list, CSnmpVarBind* vars, int count) {
  std::vector<CSnmpVarBind> read(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    smiOID oid{0, nullptr};
    smiVALUE value{};
    if (SnmpGetVb(list, static_cast<smiUINT32>(i + 1), &oid, &value) == SNMPAPI_FAILURE) {
      return kSnmpVarBindUnreadable;
    }
    const int assigned = read[static_cast<size_t>(i)].Assign(oid, value);
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
    FreeValueContents(&value);
    if (assigned != CSnmpVarBind::kOk) return kSnmpVarBindUnreadable;
  }
  std::move(read.begin(), read.end(), vars);
  return kSnmpOk;
}

// One attempt's wait in milliseconds. A stored time-out of more than about 24 days would wrap
// (or turn negative as the wait's int), which made the attempts end at once; it is held there.
uint32_t AttemptLimitMs(int hundredths) {
  const uint64_t ms = static_cast<uint64_t>(std::max(hundredths, 0)) * 10;
  return static_cast<uint32_t>(std::min<uint64_t>(ms, std::numeric_limits<int32_t>::max()));
}

}  // namespace

const char* SnmpRequestCodeText(int code) {
  switch (code) {
    case kSnmpOk:
      return "success";
    case kSnmpSessionFailed:
      return "the SNMP session could not be opened";
    case kSnmpVblFailed:
      return "the variable list could not be built";
    case kSnmpBadAddress:
      return "the destination address was not accepted";
    case kSnmpNoContext:
      return "the community could not be used";
    case kSnmpPduFailed:
      return "the request could not be built";
    case kSnmpSendFailed:
      return "the request could not be sent";
    case kSnmpReceiveFailed:
      return "the reply could not be received";
    case kSnmpReplyUnreadable:
      return "the reply could not be read";
    case kSnmpNotResponse:
      return "the reply was not a response";
    case kSnmpCountMismatch:
      return "the reply had another number of variables than asked";
    case kSnmpNoReply:
      return "no reply from the agent";
    case kSnmpWrongSyntax:
      return "the value has another type than asked";
    case kSnmpBufferTooSmall:
      return "the value does not fit";
    case kSnmpVarBindUnreadable:
      return "a variable of the reply could not be read";
    case kSnmpNothingToAsk:
      return "nothing to ask, or no device address";
    case kSnmpTooBig:
      return "the agent says: tooBig";
    case kSnmpNoSuchName:
      return "the agent says: noSuchName";
    case kSnmpBadValue:
      return "the agent says: badValue";
    case kSnmpReadOnly:
      return "the agent says: readOnly";
    case kSnmpGenErr:
      return "the agent says: genErr";
    case kSnmpCancelled:
      return "cancelled";
    default:
      return "the agent reported an error";
  }
}

CSnmpManager::CSnmpManager(const SnmpOperationContext& context, int* status)
    : CSnmpManager(context, status, platform::SystemClock::Instance()) {}

CSnmpManager::CSnmpManager(const SnmpOperationContext& context, int* status, platform::Clock& clock)
    : context_(context), clock_(clock) {
  int result = kSnmpOk;
  if (context_.wait == nullptr) {
    result = kSnmpSessionFailed;
  } else {
    session_ = SnmpOpen(context_.wait->Poster(), kReplyMessage);
    if (session_ == 0 || SnmpSetTranslateMode(SNMPAPI_UNTRANSLATED_V1) == SNMPAPI_FAILURE) {
      result = kSnmpSessionFailed;
    } else {
      SetCommunity(context_.getCommunity);
    }
  }
  if (status != nullptr) *status = result;
}

CSnmpManager::~CSnmpManager() {
  if (community_ != 0) SnmpFreeContext(community_);
  if (session_ != 0) SnmpClose(session_);
}

HSNMP_CONTEXT CSnmpManager::SetCommunity(const std::string& community) {
  if (community_ != 0) SnmpFreeContext(community_);
  community_ = 0;
  if (session_ == 0) return 0;
  const std::string text = community.substr(0, kMaxCommunity);
  smiOCTETS octets{static_cast<smiUINT32>(text.size()),
                   reinterpret_cast<smiLPBYTE>(const_cast<char*>(text.data()))};
  community_ = SnmpStrToContext(session_, &octets);
  return community_;
}

int CSnmpManager::Get(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex) {
  return Request(SNMP_PDU_GET, vars, count, errorStatus, errorIndex);
}

int CSnmpManager::Set(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex) {
  if (SetCommunity(context_.setCommunity) == 0) return kSnmpNoContext;
  return Request(SNMP_PDU_SET, vars, count, errorStatus, errorIndex);
}

int CSnmpManager::Request(smiUINT32 type, CSnmpVarBind* vars, int count, int* errorStatus,
                          int* errorIndex) {
  int scratchStatus = 0, scratchIndex = 0;
  if (errorStatus == nullptr) errorStatus = &scratchStatus;
  if (errorIndex == nullptr) errorIndex = &scratchIndex;
  *errorStatus = 0;
  *errorIndex = 0;
  if (count <= 0 || vars == nullptr || context_.address.empty()) return kSnmpNothingToAsk;
  if (session_ == 0) return kSnmpSessionFailed;
  if (community_ == 0) return kSnmpNoContext;

  RequestHandles handles;
  handles.destination = SnmpStrToEntity(session_, context_.address.c_str());
  if (handles.destination == 0 || SnmpSetTimeout(handles.destination, 0) == SNMPAPI_FAILURE) {
    return kSnmpBadAddress;
  }
  for (int i = 0; i < count; ++i) {
    const smiOID oid = vars[i].Oid();
    const smiVALUE value = vars[i].Value();
    if (i == 0) {
      handles.vbl = SnmpCreateVbl(session_, &oid, &value);
      if (handles.vbl == 0) return kSnmpVblFailed;
    } else if (SnmpSetVb(handles.vbl, 0, &oid, &value) == SNMPAPI_FAILURE) {
      return kSnmpVblFailed;
    }
  }
  handles.pdu = SnmpCreatePdu(session_, type, 0, 0, 0, handles.vbl);
  if (handles.pdu == 0) return kSnmpPduFailed;
  smiINT32 requestId = 0;
  if (SnmpGetPduData(handles.pdu, nullptr, &requestId, nullptr, nullptr, nullptr) ==
      SNMPAPI_FAILURE) {
    return kSnmpPduFailed;
  }
  return Exchange(type, handles.destination, handles.pdu, requestId, vars, count, errorStatus,
                  errorIndex);
}

int CSnmpManager::Exchange(smiUINT32 type, HSNMP_ENTITY destination, HSNMP_PDU pdu,
                           smiINT32 requestId, CSnmpVarBind* vars, int count, int* errorStatus,
                           int* errorIndex) {
  for (int attempt = 0; attempt <= retries_; ++attempt) {
    lastResult_ = SnmpSendMsg(session_, 0, destination, community_, pdu);
    if (lastResult_ == SNMPAPI_FAILURE) return kSnmpSendFailed;
    ++sends_;
    context_.wait->SetText(type == SNMP_PDU_SET ? kUpdatingText : kReadingText);

    const uint32_t start = clock_.TickCount();
    const uint32_t limit = AttemptLimitMs(timeout_);
    for (bool first = true;; first = false) {
      const uint32_t elapsed = platform::Clock::Elapsed(start, clock_.TickCount());
      if (!first && elapsed >= limit) break;
      const int waited = WaitForReply(static_cast<int>(limit - std::min(elapsed, limit)));
      if (waited == SnmpWaitWindow::kWaitCancelled) return kSnmpCancelled;
      if (waited != static_cast<int>(kReplyMessage)) break;  // timed out: send again
      bool stale = false;
      const int result = TakeReply(requestId, vars, count, errorStatus, errorIndex, &stale);
      if (!stale) return result;
      // An answer to an earlier request: keep waiting for ours in what is left of the time.
    }
  }
  return kSnmpNoReply;
}

// Waits for the session's message; a readable session socket counts as that message.
int CSnmpManager::WaitForReply(int timeoutMs) {
  int fds[2];
  const size_t n = SnmpSessionReadableFds(session_, fds, 2);
  for (size_t i = 0; i < n; ++i) context_.wait->WatchFd(fds[i], kReplyMessage);
  const int result = context_.wait->Wait(kReplyMessage, timeoutMs);
  for (size_t i = 0; i < n; ++i) context_.wait->ForgetFd(fds[i]);
  return result;
}

int CSnmpManager::TakeReply(smiINT32 requestId, CSnmpVarBind* vars, int count, int* errorStatus,
                            int* errorIndex, bool* stale) {
  HSNMP_ENTITY source = 0, destination = 0;
  HSNMP_CONTEXT context = 0;
  HSNMP_PDU pdu = 0;
  lastResult_ = SnmpRecvMsg(session_, &source, &destination, &context, &pdu);
  if (lastResult_ == SNMPAPI_FAILURE) return kSnmpReceiveFailed;
  if (source != 0) SnmpFreeEntity(source);
  if (destination != 0) SnmpFreeEntity(destination);
  if (context != 0) SnmpFreeContext(context);

  smiUINT32 type = 0;
  smiINT32 id = 0, status = 0, index = 0;
  HSNMP_VBL list = 0;
  lastResult_ = SnmpGetPduData(pdu, &type, &id, &status, &index, &list);
  SnmpFreePdu(pdu);
  if (lastResult_ == SNMPAPI_FAILURE) {
    if (list != 0) SnmpFreeVbl(list);
    return kSnmpReplyUnreadable;
  }
  // A late answer to an earlier request would otherwise be taken for this one's.
  if (id != requestId) {
    if (list != 0) SnmpFreeVbl(list);
    *stale = true;
    return kSnmpOk;
  }
  int result = kSnmpOk;
  *errorStatus = status;
  *errorIndex = index;
  if (type != SNMP_PDU_RESPONSE) {
    result = kSnmpNotResponse;
  } else if (status != 0) {
    result = MapErrorStatus(status);
  } else if (list == 0 || static_cast<int>(SnmpCountVbl(list)) != count) {
    result = kSnmpCountMismatch;
  } else {
    result = ReadReplyList(list, vars, count);
  }
  if (list != 0) SnmpFreeVbl(list);
  return result;
}

int CSnmpManager::MapErrorStatus(int status) {
  if (status >= 1 && status <= 5) return kSnmpTooBig + (status - 1);
  return status;
}

int CSnmpManager::GetMany(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex) {
  return Many(false, vars, count, errorStatus, errorIndex);
}

int CSnmpManager::SetMany(CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex) {
  return Many(true, vars, count, errorStatus, errorIndex);
}

int CSnmpManager::Many(bool set, CSnmpVarBind* vars, int count, int* errorStatus, int* errorIndex) {
  int scratchStatus = 0, scratchIndex = 0;
  if (errorStatus == nullptr) errorStatus = &scratchStatus;
  if (errorIndex == nullptr) errorIndex = &scratchIndex;
  int offset = 0;  // where the last request began in vars
  const auto request = [&](int first, int n) {
    offset = first;
    return set ? Set(vars + first, n, errorStatus, errorIndex)
               : Get(vars + first, n, errorStatus, errorIndex);
  };
  int result = kSnmpTooBig;
  int e = kMaxSinglePdu + 1;  // what a group too long for one request is taken to have drawn
  if (set || count <= kMaxSinglePdu) {
    result = request(0, count);
    if (result != kSnmpTooBig) return result;
    e = *errorIndex;
  }
  // Pieces: the e - 1 variables that fitted, then all the rest; a new tooBig moves e (which the
  // agent counts from the start of the piece it was sent).
  int done = 0;
  for (int round = 0; round < kMaxPieceRounds && result == kSnmpTooBig; ++round) {
    const int left = count - done;
    if (e < 2 || e > left) break;
    result = request(done, e - 1);
    if (result == kSnmpTooBig) {
      e = *errorIndex;
      continue;
    }
    if (result != kSnmpOk) break;
    done += e - 1;
    result = request(done, count - done);
    if (result == kSnmpOk) done = count;
    if (result == kSnmpTooBig) e = *errorIndex;
  }
  // The caller is told which of its own variables the agent meant.
  if (*errorStatus != 0 && *errorIndex >= 1) *errorIndex += offset;
  return result;
}

}  // namespace snmp
