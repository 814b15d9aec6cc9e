// Messages: encoding and decoding through the BER codec, and sending and receiving through the
// destination's transport.

#include <cstdlib>
#include <cstring>

#include "snmp/BerCodec.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpEngineTransports.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpObjectRelease.h"
#include "snmp/SnmpTrapRewrite.h"

namespace {

template <typename T>
T* objectOf(smiUINT32 handle, smiUINT32 kind) {
  return SnmpLookupAs<T>(handle, kind);
}

// Runs the decoder over message into a fresh context and PDU of the session. On failure nothing
// stays behind: a stream of bad messages must not use up the handle table.
SNMPAPI_STATUS decodeInto(HSNMP_SESSION session, const smiOCTETS* message, HSNMP_CONTEXT* ctxOut,
                          HSNMP_PDU* pduOut, smiUINT32* length) {
  HSNMP_CONTEXT context = SnmpAllocObject(sizeof(SnmpContextObject), SNMP_OBJ_CONTEXT, session);
  if (context == 0) return SNMPAPI_ALLOC_ERROR;
  HSNMP_PDU pdu = SnmpCreatePdu(session, SNMP_PDU_RESPONSE, 1, 0, 0, 0);
  if (pdu == 0) {
    SnmpReleaseObject(context);
    return SNMPAPI_ALLOC_ERROR;
  }
  auto* pduObject = objectOf<SnmpPduObject>(pdu, SNMP_OBJ_PDU);
  SNMPAPI_STATUS rc = SNMPAPI_ALLOC_ERROR;
  BerState ber;  // on the stack: no allocation per message for the codec's own state
  if (BerInitDecoder(&ber, message)) {
    const bool ok =
        BerDecodeMessage(&ber, pduObject, objectOf<SnmpContextObject>(context, SNMP_OBJ_CONTEXT));
    rc = ok ? SNMPAPI_SUCCESS : BerGetError(&ber);
    *length = BerGetDecodedLength(&ber);
  }
  if (rc == SNMPAPI_SUCCESS && pduObject->type == SNMP_PDU_V1TRAP) {
    rc = SnmpRewriteV1Trap(pduObject);
  }
  if (rc != SNMPAPI_SUCCESS) {
    SnmpReleaseObject(pduObject->vbl);
    SnmpReleaseObject(pdu);
    SnmpReleaseObject(context);
    return rc;
  }
  *ctxOut = context;
  *pduOut = pdu;
  return SNMPAPI_SUCCESS;
}

void releaseMessage(HSNMP_CONTEXT context, HSNMP_PDU pdu) {
  if (auto* p = objectOf<SnmpPduObject>(pdu, SNMP_OBJ_PDU)) SnmpReleaseObject(p->vbl);
  SnmpReleaseObject(pdu);
  SnmpReleaseObject(context);
}

}  // namespace

SNMPAPI_STATUS SnmpEncodeMsg(HSNMP_SESSION session, HSNMP_ENTITY, HSNMP_ENTITY,
                             HSNMP_CONTEXT context, HSNMP_PDU pdu, smiOCTETS* out) {
  if (objectOf<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  const auto* ctx = objectOf<SnmpContextObject>(context, SNMP_OBJ_CONTEXT);
  if (ctx == nullptr) return SnmpSetError(session, SNMPAPI_CONTEXT_INVALID);
  const auto* pduObject = objectOf<SnmpPduObject>(pdu, SNMP_OBJ_PDU);
  if (pduObject == nullptr) return SnmpSetError(session, SNMPAPI_PDU_INVALID);
  if (out == nullptr) return SnmpSetError(session, SNMPAPI_OTHER_ERROR);
  uint8_t work[kSnmpMaxMessage];
  smiOCTETS buffer{static_cast<smiUINT32>(sizeof work), work};
  BerState ber;
  BerInitEncoder(&ber, &buffer);
  SNMPAPI_STATUS rc = BerEncodeMessage(&ber, pduObject, ctx) ? SNMPAPI_SUCCESS : BerGetError(&ber);
  smiOCTETS encoded{};
  BerGetEncoded(&ber, &encoded);
  if (rc != SNMPAPI_SUCCESS) return SnmpSetError(session, rc);
  auto* copy = static_cast<smiLPBYTE>(std::malloc(encoded.len));
  if (copy == nullptr) return SnmpSetError(session, SNMPAPI_ALLOC_ERROR);
  std::memcpy(copy, encoded.ptr, encoded.len);
  out->len = encoded.len;
  out->ptr = copy;
  return encoded.len;
}

SNMPAPI_STATUS SnmpDecodeMsg(HSNMP_SESSION session, HSNMP_ENTITY*, HSNMP_ENTITY*,
                             HSNMP_CONTEXT* context, HSNMP_PDU* pdu, const smiOCTETS* message) {
  if (objectOf<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  if (pdu == nullptr) return SnmpSetError(session, SNMPAPI_PDU_INVALID);
  if (context == nullptr) return SnmpSetError(session, SNMPAPI_CONTEXT_INVALID);
  if (message == nullptr || (message->ptr == nullptr && message->len != 0)) {
    return SnmpSetError(session, SNMPAPI_MESSAGE_INVALID);
  }
  smiUINT32 length = 0;
  SNMPAPI_STATUS rc = decodeInto(session, message, context, pdu, &length);
  if (rc != SNMPAPI_SUCCESS) return SnmpSetError(session, rc);
  return length;
}

SNMPAPI_STATUS SnmpSendMsg(HSNMP_SESSION session, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                           HSNMP_CONTEXT context, HSNMP_PDU pdu) {
  auto* sessionObject = objectOf<SnmpSessionObject>(session, SNMP_OBJ_SESSION);
  if (sessionObject == nullptr) return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  if (source != 0 && objectOf<SnmpEntityObject>(source, SNMP_OBJ_ENTITY) == nullptr) {
    return SnmpSetError(session, SNMPAPI_ENTITY_INVALID);
  }
  const auto* dst = objectOf<SnmpEntityObject>(destination, SNMP_OBJ_ENTITY);
  if (dst == nullptr) return SnmpSetError(session, SNMPAPI_ENTITY_INVALID);
  if (objectOf<SnmpContextObject>(context, SNMP_OBJ_CONTEXT) == nullptr) {
    return SnmpSetError(session, SNMPAPI_CONTEXT_INVALID);
  }
  const auto* pduObject = objectOf<SnmpPduObject>(pdu, SNMP_OBJ_PDU);
  if (pduObject == nullptr) return SnmpSetError(session, SNMPAPI_PDU_INVALID);
  const snmp::SnmpTransportOps* ops = SnmpTransportFor(dst->address.kind);
  if (ops == nullptr || ops->TransportSend == nullptr) {
    return SnmpSetError(session, SNMPAPI_TL_NOT_INITIALIZED);
  }
  smiOCTETS encoded{};
  if (!SnmpEncodeMsg(session, source, destination, context, pdu, &encoded)) return 0;
  auto rc = static_cast<SNMPAPI_STATUS>(
      ops->TransportSend(sessionObject->transport, &dst->address, encoded.ptr, encoded.len));
  SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &encoded);
  if (rc != SNMPAPI_SUCCESS) return SnmpSetError(session, rc);
  return static_cast<SNMPAPI_STATUS>(pduObject->requestId);
}

SNMPAPI_STATUS SnmpRecvMsg(HSNMP_SESSION session, HSNMP_ENTITY* source, HSNMP_ENTITY* destination,
                           HSNMP_CONTEXT* context, HSNMP_PDU* pdu) {
  auto* sessionObject = objectOf<SnmpSessionObject>(session, SNMP_OBJ_SESSION);
  if (sessionObject == nullptr) return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  if (source == nullptr || destination == nullptr) {
    return SnmpSetError(session, SNMPAPI_ENTITY_INVALID);
  }
  if (context == nullptr) return SnmpSetError(session, SNMPAPI_CONTEXT_INVALID);
  if (pdu == nullptr) return SnmpSetError(session, SNMPAPI_PDU_INVALID);
  SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SnmpSetError(session, SNMPAPI_NOT_INITIALIZED);

  HSNMP_ENTITY src = SnmpAllocObject(sizeof(SnmpEntityObject), SNMP_OBJ_ENTITY, session);
  HSNMP_ENTITY dst =
      src == 0 ? 0 : SnmpAllocObject(sizeof(SnmpEntityObject), SNMP_OBJ_ENTITY, session);
  if (dst == 0) {
    SnmpReleaseObject(src);
    return SnmpSetError(session, SNMPAPI_ALLOC_ERROR);
  }
  auto* srcObject = objectOf<SnmpEntityObject>(src, SNMP_OBJ_ENTITY);
  auto* dstObject = objectOf<SnmpEntityObject>(dst, SNMP_OBJ_ENTITY);
  snmp::SnmpTransportSession* transport = sessionObject->transport;
  const bool open[snmp::kSnmpTransportCount] = {transport->udpOpen, transport->ipxOpen,
                                                transport->serialOpen};
  SNMPAPI_STATUS rc = SNMPAPI_TL_NOT_INITIALIZED;  // no transport open: nothing can have arrived
  size_t received = 0;
  for (uint32_t kind = 0; kind < snmp::kSnmpTransportCount && rc != SNMPAPI_SUCCESS; ++kind) {
    const snmp::SnmpTransportOps* ops = open[kind] ? SnmpTransportFor(kind) : nullptr;
    if (ops == nullptr || ops->TransportReceive == nullptr) continue;
    srcObject->address = snmp::SnmpTransportEntity{};
    srcObject->address.kind = kind;
    dstObject->address = srcObject->address;
    received = kSnmpMaxMessage;
    rc = static_cast<SNMPAPI_STATUS>(ops->TransportReceive(
        transport, &srcObject->address, &dstObject->address, task->recvBuffer.ptr, &received));
  }
  if (rc == SNMPAPI_SUCCESS && received > kSnmpMaxMessage) rc = SNMPAPI_OUTPUT_TRUNCATED;
  if (rc != SNMPAPI_SUCCESS) {
    SnmpReleaseObject(src);
    SnmpReleaseObject(dst);
    return SnmpSetError(session, rc);
  }
  smiOCTETS message{static_cast<smiUINT32>(received), task->recvBuffer.ptr};
  smiUINT32 length = 0;
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU got = 0;
  rc = decodeInto(session, &message, &ctx, &got, &length);
  if (rc == SNMPAPI_SUCCESS && length != received) {
    releaseMessage(ctx, got);
    rc = SNMPAPI_OUTPUT_TRUNCATED;
  }
  if (rc != SNMPAPI_SUCCESS) {
    SnmpReleaseObject(src);
    SnmpReleaseObject(dst);
    return SnmpSetError(session, SNMPAPI_OUTPUT_TRUNCATED);
  }
  *source = src;
  *destination = dst;
  *context = ctx;
  *pdu = got;
  return static_cast<SNMPAPI_STATUS>(objectOf<SnmpPduObject>(got, SNMP_OBJ_PDU)->requestId);
}
