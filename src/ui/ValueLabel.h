// A label that shows a value (a status pane, a counter, a detail line). Assistive technology reads
// what it shows: its accessible name follows the text, and the title of the value ("Device count")
// goes into the description and names the label while it shows nothing. A fixed accessible name
// on a plain QLabel would replace its text, and a screen reader would never hear the value.
#pragma once

#include <QLabel>

namespace ui {

class ValueLabel : public QLabel {
 public:
  explicit ValueLabel(const QString& title, QWidget* parent = nullptr);
  void SetValue(const QString& text);
  const QString& Title() const { return title_; }

 private:
  QString title_;
};

}  // namespace ui
