// The main window's posting interface: each private message becomes a Qt event that carries its
// id, its parameters and, owned, the record or text it points to. The event reaches the handler
// on the GUI thread in posting order; an event that is never delivered (the window closed first)
// frees what it carries.
#pragma once

#include <QEvent>
#include <QObject>
#include <functional>
#include <mutex>

#include "app/FrameMessage.h"
#include "platform/MessagePoster.h"

namespace app {

class FramePoster : public QObject, public platform::MessagePoster {
 public:
  using Handler = std::function<void(FrameMessage&)>;

  explicit FramePoster(Handler handler, QObject* parent = nullptr);
  ~FramePoster() override;

  // Any thread. False once closed or without a Qt application; the caller then keeps what the
  // parameters point to.
  bool PostMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) override;
  // Refuses further posts and frees what the undelivered ones carry.
  void Close();

  static QEvent::Type EventType();

 protected:
  bool event(QEvent* event) override;

 private:
  Handler handler_;
  std::mutex mutex_;
  bool closed_ = false;
};

}  // namespace app
