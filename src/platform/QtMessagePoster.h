// Posting to the GUI thread: (id, wParam, lParam) travel as a custom event through Qt's event
// loop and reach the handler on the thread this object lives in, in the order they were posted,
// so the main window receives the same posted messages as a thread running our own loop.
#pragma once

#include <QEvent>
#include <QObject>
#include <functional>
#include <mutex>

#include "platform/Message.h"
#include "platform/MessagePoster.h"

namespace platform {

class QtMessagePoster : public QObject, public MessagePoster {
 public:
  using Handler = std::function<void(const Message&)>;

  explicit QtMessagePoster(Handler handler, QObject* parent = nullptr);
  ~QtMessagePoster() override;

  // Any thread. False without a Qt application, or once Close() was called.
  bool PostMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) override;
  // Refuses further posts and drops those not yet delivered.
  void Close();

  static QEvent::Type EventType();

 protected:
  bool event(QEvent* event) override;

 private:
  Handler handler_;
  std::mutex mutex_;  // orders PostMessage against Close
  bool closed_ = false;
};

}  // namespace platform
