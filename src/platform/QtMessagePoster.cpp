#include "platform/QtMessagePoster.h"

#include <QCoreApplication>

namespace platform {

namespace {

class MessageEvent : public QEvent {
 public:
  explicit MessageEvent(const Message& message)
      : QEvent(QtMessagePoster::EventType()), message_(message) {}
  const Message& Get() const { return message_; }

 private:
  Message message_;
};

}  // namespace

QEvent::Type QtMessagePoster::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QtMessagePoster::QtMessagePoster(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

QtMessagePoster::~QtMessagePoster() {
  Close();
}

bool QtMessagePoster::PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || QCoreApplication::instance() == nullptr) return false;
  // postEvent takes the event and is safe from any thread.
  QCoreApplication::postEvent(this, new MessageEvent(Message{id, wParam, lParam}));
  return true;
}

void QtMessagePoster::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::removePostedEvents(this, EventType());
  }
}

bool QtMessagePoster::event(QEvent* event) {
  if (event->type() != EventType()) return QObject::event(event);
  if (handler_) handler_(static_cast<MessageEvent*>(event)->Get());
  return true;
}

}  // namespace platform
