// A pair of arrow buttons bound to a small number field, as the schedule and free-space fields
// need them: a range, a step, a position mirrored into the field's text, a notice before each
// change (so a handler can act on the old value) and a click after it. The Up and Down keys in
// the field step it as well.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

namespace ostrevin::dregmoor {

class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(const char* name, QLineEdit* associate, int minimum, int maximum, int increment,
           int position, QWidget* parent);

    int position() const { return position_; }
    // Sets the position (held within the range) and the field's text, without notices.
    void setPosition(int position);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int increment() const { return increment_; }
    QLineEdit* associate() const { return associate_; }
    // One step up (+1) or down (-1), as a press on an arrow does.
    void step(int direction);

  signals:
    void changing(int from, int to);
    void clicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* associate_;
    int minimum_, maximum_, increment_, position_;
};

}  // namespace ostrevin::dregmoor
