#include "snmp/BerCodec.h"

#include <cstdlib>

namespace {

bool initState(BerState* state, const smiOCTETS* buffer) {
  if (buffer == nullptr || (buffer->ptr == nullptr && buffer->len != 0)) return false;
  state->top = 0;  // the stack itself needs no clearing: entries are written before being read
  state->errorOffset = 0;
  state->lower = buffer->ptr;
  state->end = buffer->ptr == nullptr ? nullptr : buffer->ptr + buffer->len;
  state->limit = state->end;
  state->form = kBerFormDefinite;
  state->error = SNMPAPI_SUCCESS;
  return true;
}

BerState* newState(const smiOCTETS* buffer, bool encoder) {
  auto* state = static_cast<BerState*>(std::malloc(sizeof(BerState)));
  if (state == nullptr) return nullptr;
  if (!(encoder ? BerInitEncoder(state, buffer) : BerInitDecoder(state, buffer))) {
    std::free(state);
    return nullptr;
  }
  return state;
}

}  // namespace

bool BerInitEncoder(BerState* state, const smiOCTETS* buffer) {
  if (!initState(state, buffer)) return false;
  state->cursor = state->end;
  return true;
}

bool BerInitDecoder(BerState* state, const smiOCTETS* input) {
  if (!initState(state, input)) return false;
  state->cursor = state->lower;
  return true;
}

BerState* BerOpenEncoder(const smiOCTETS* buffer) {
  return newState(buffer, true);
}

BerState* BerOpenDecoder(const smiOCTETS* input) {
  return newState(input, false);
}

SNMPAPI_STATUS BerGetEncoded(const BerState* state, smiOCTETS* out) {
  if (state == nullptr || out == nullptr) return SNMPAPI_FAILURE;
  out->ptr = state->cursor;
  out->len = static_cast<smiUINT32>(state->end - state->cursor);
  return SNMPAPI_SUCCESS;
}

smiUINT32 BerGetDecodedLength(const BerState* state) {
  return static_cast<smiUINT32>(state->cursor - state->lower);
}

SNMPAPI_STATUS BerGetError(const BerState* state) {
  return state->error;
}

smiUINT32 BerGetErrorOffset(const BerState* state) {
  return state->errorOffset;
}

SNMPAPI_STATUS BerClose(BerState* state) {
  std::free(state);
  return SNMPAPI_SUCCESS;
}

bool BerFail(BerState* state, SNMPAPI_STATUS code) {
  if (state->error == SNMPAPI_SUCCESS) {
    state->error = code;
    state->errorOffset = static_cast<smiUINT32>(state->cursor - state->lower);
  }
  return false;
}
