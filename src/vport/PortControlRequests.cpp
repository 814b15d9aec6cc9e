#include "vport/PortControlRequests.h"

#include "vport/PortLogLines.h"

namespace vport {

int PortControlRequests::Start(const std::string& path, bool rfc2217) {
  rfc2217_ = rfc2217;
  return server_.Start(
      path, [this](const control::Request& request) { return OnRequest(request); },
      [this](const std::string& text) { model_.ControlNotice(text); });
}

control::Reply PortControlRequests::OnRequest(const control::Request& request) {
  switch (request.op) {
    case control::Op::kSetLine:
      // The application's tcsetattr came before its request: the rate and stop bits that the
      // pty reports go to the server first, then the data size and parity.
      bridge_.TakePortEvents();
      model_.LineControlChanged(request.stopBits, request.parity, request.dataBits);
      break;
    case control::Op::kSetModem:
      if ((request.mask & control::kDtr) != 0)
        model_.DtrChanged((request.value & control::kDtr) != 0);
      if ((request.mask & control::kRts) != 0)
        model_.RtsChanged((request.value & control::kRts) != 0);
      break;
    case control::Op::kBreak:
      model_.BreakChanged(request.breakOn);
      break;
    case control::Op::kGetModem:
    case control::Op::kGetCount:
      break;
    case control::Op::kWaitModem:
      // The application opened the port before it waits: its open starts the connection.
      bridge_.TakePortEvents();
      if (rfc2217_ && !bridge_.Connected() && !bridge_.Connecting()) return NoConnectionReply();
      model_.ControlNotice(loglines::ModemWait(request.mask));
      break;
  }
  Frames frames;
  const control::Reply reply = lines_.Handle(request, bridge_.Connected(), &frames);
  bridge_.SendFrames(frames);
  return reply;
}

control::Reply PortControlRequests::NoConnectionReply() {
  control::Reply reply;
  reply.op = control::Op::kWaitModem;
  reply.status = control::Status::kNoConnection;
  return reply;
}

void PortControlRequests::EndModemWaits() {
  server_.AnswerAllWaits(NoConnectionReply());
}

void PortControlRequests::ServerCommand(std::span<const uint8_t> command) {
  const uint8_t moved = lines_.ServerCommand(command);
  if (moved == 0) return;
  control::Reply reply;
  reply.op = control::Op::kWaitModem;
  reply.lines = lines_.Lines();
  reply.linesKnown = lines_.LinesKnown();
  server_.AnswerWaits(moved, reply);
}

}  // namespace vport
