#pragma once
// Releasing engine objects together with the records they own.

#include "snmp/SnmpObjects.h"

void SnmpReleaseVblObject(SnmpVblObject* vbl);  // every varbind; the list itself stays
void SnmpReleasePduTrapFields(SnmpPduObject* pdu);
// Frees the object behind handle (entity, context, PDU or list) with what it owns; sessions are
// closed with SnmpClose instead.
void SnmpReleaseObject(smiUINT32 handle);
