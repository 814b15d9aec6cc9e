#pragma once
// BER codec for SNMPv1 messages. Encoding runs backwards from the end of the caller's buffer, so
// every length is known when it is written and nothing is copied twice. Decoding runs forwards
// with a bounded cursor: every length is checked against what is left of its enclosing value.
//
// Entry points return 1 for success and 0 for failure; BerGetError tells why (2, 9, 11, 19, 99)
// and BerGetErrorOffset where (octets from the start of the buffer).

#include <cstdint>

#include "snmp/SnmpObjects.h"
#include "snmp/SnmpTypes.h"

inline constexpr uint16_t kBerFormDefinite = 1;
inline constexpr uint16_t kBerFormIndefinite = 2;

struct BerFrame {
  uint8_t* limit;
  uint16_t form;
};

struct BerState {
  uint8_t* cursor;  // encoding: first octet written so far; decoding: next octet to read
  uint8_t* lower;   // start of the buffer
  uint8_t* end;     // end of the buffer
  uint8_t* limit;   // end of the constructed value now open
  uint16_t form;
  BerFrame stack[kBerMaxNesting];
  smiUINT32 top;
  SNMPAPI_STATUS error;
  smiUINT32 errorOffset;
};

// Prepare a caller-owned state (the engine keeps it on the stack); false for a bad buffer.
bool BerInitEncoder(BerState* state, const smiOCTETS* buffer);
bool BerInitDecoder(BerState* state, const smiOCTETS* input);

BerState* BerOpenEncoder(const smiOCTETS* buffer);
SNMPAPI_STATUS BerEncodeMessage(BerState* state, const SnmpPduObject* pdu,
                                const SnmpContextObject* community);
SNMPAPI_STATUS BerGetEncoded(const BerState* state, smiOCTETS* out);

BerState* BerOpenDecoder(const smiOCTETS* input);
// Fills the PDU (its type, numbers, trap fields and a new varbind list on the PDU's session) and
// the community. On failure the records already made stay attached to the PDU and its list.
SNMPAPI_STATUS BerDecodeMessage(BerState* state, SnmpPduObject* pdu, SnmpContextObject* community);
// Octets consumed by the decoder so far.
smiUINT32 BerGetDecodedLength(const BerState* state);

SNMPAPI_STATUS BerGetError(const BerState* state);
smiUINT32 BerGetErrorOffset(const BerState* state);
SNMPAPI_STATUS BerClose(BerState* state);

// Shared by the encoder and the decoder: record the first failure and where it happened.
[[gnu::cold]] bool BerFail(BerState* state, SNMPAPI_STATUS code);

// Every value opens and closes a frame, so these are inline: they sit on the hottest path.
inline bool BerPush(BerState* state) {
  if (state->top >= kBerMaxNesting) return BerFail(state, SNMPAPI_OTHER_ERROR);
  state->stack[state->top++] = BerFrame{state->limit, state->form};
  return true;
}

inline bool BerPop(BerState* state) {
  if (state->top == 0) return BerFail(state, SNMPAPI_OTHER_ERROR);
  const BerFrame& frame = state->stack[--state->top];
  state->limit = frame.limit;
  state->form = frame.form;
  return true;
}
