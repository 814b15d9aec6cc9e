// The animation band: plays the branding's "CompanyAvi" while a search runs. A file that Qt cannot
// play (an AVI, a missing or broken file) or no file at all gives the program's own animation;
// it never stops the start.
#pragma once

#include <QLabel>
#include <QString>

class QMovie;

namespace app {

class BusyAnimation : public QLabel {
 public:
  static constexpr const char* kOwnAnimation = ":/icons/busy.gif";

  explicit BusyAnimation(const QString& file, QWidget* parent = nullptr);

  // From the first frame, repeating until Stop.
  void Start();
  // Stops and shows the first frame again.
  void Stop();
  bool IsRunning() const;
  // The file being played: the branding's, or kOwnAnimation.
  const QString& Source() const { return source_; }

 private:
  QMovie* movie_ = nullptr;
  QString source_;
};

}  // namespace app
