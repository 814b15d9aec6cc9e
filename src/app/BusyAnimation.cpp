#include "app/BusyAnimation.h"

#include <QMovie>

namespace app {

namespace {

QMovie* Playable(const QString& file, QObject* parent) {
  if (file.isEmpty()) return nullptr;
  auto* movie = new QMovie(file, QByteArray(), parent);
  if (movie->isValid() && movie->frameCount() != 0) return movie;
  delete movie;
  return nullptr;
}

}  // namespace

BusyAnimation::BusyAnimation(const QString& file, QWidget* parent) : QLabel(parent) {
  setObjectName("155");
  setAccessibleName(tr("Search activity"));
  setAlignment(Qt::AlignCenter);
  movie_ = Playable(file, this);
  source_ = file;
  if (movie_ == nullptr) {
    movie_ = new QMovie(QString::fromLatin1(kOwnAnimation), QByteArray(), this);
    source_ = QString::fromLatin1(kOwnAnimation);
  }
  movie_->setCacheMode(QMovie::CacheAll);
  setMovie(movie_);
  movie_->jumpToFrame(0);
}

void BusyAnimation::Start() {
  movie_->stop();
  movie_->jumpToFrame(0);
  movie_->start();
}

void BusyAnimation::Stop() {
  movie_->stop();
  movie_->jumpToFrame(0);
}

bool BusyAnimation::IsRunning() const {
  return movie_->state() == QMovie::Running;
}

}  // namespace app
