#include "app/FramePoster.h"

#include <QCoreApplication>

namespace app {

namespace {

class FrameEvent : public QEvent {
 public:
  explicit FrameEvent(FrameMessage message)
      : QEvent(FramePoster::EventType()), message_(std::move(message)) {}
  FrameMessage& Message() { return message_; }

 private:
  FrameMessage message_;  // frees its record or text with the event
};

}  // namespace

QEvent::Type FramePoster::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

FramePoster::FramePoster(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

FramePoster::~FramePoster() {
  Close();
}

bool FramePoster::PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || QCoreApplication::instance() == nullptr) return false;
  QCoreApplication::postEvent(this, new FrameEvent(FrameMessage::Adopt(id, wParam, lParam)));
  return true;
}

void FramePoster::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::removePostedEvents(this, EventType());  // deletes them, and their loads
  }
}

bool FramePoster::event(QEvent* event) {
  if (event->type() != EventType()) return QObject::event(event);
  if (handler_) handler_(static_cast<FrameEvent*>(event)->Message());
  return true;
}

}  // namespace app
