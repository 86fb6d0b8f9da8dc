#include "dregmoor/ui/up_down.h"

#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace ostrevin::dregmoor {

UpDown::UpDown(const char* name, QLineEdit* associate, int minimum, int maximum, int increment,
               int position, QWidget* parent)
    : QWidget(parent),
      associate_(associate),
      minimum_(minimum),
      maximum_(maximum),
      increment_(increment),
      position_(position) {
    setObjectName(name);
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setObjectName(QString(name) + "Up");
    down->setObjectName(QString(name) + "Down");
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setAccessibleName("Up");
    down->setAccessibleName("Down");
    for (QToolButton* button : {up, down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    connect(up, &QToolButton::clicked, this, [this] { step(+1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up);
    layout->addWidget(down);
    if (associate_) associate_->installEventFilter(this);
    setPosition(position);
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
    if (associate_) associate_->setText(QString::number(position_));
}

void UpDown::step(int direction) {
    // A field typed out of step or out of range starts from what it shows, as far as it can.
    bool ok = false;
    const int shown = associate_ ? associate_->text().trimmed().toInt(&ok) : position_;
    const int from = ok ? std::clamp(shown, minimum_, maximum_) : position_;
    const int to = std::clamp(from + direction * increment_, minimum_, maximum_);
    emit changing(position_, to);
    setPosition(to);
    emit clicked();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == associate_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ostrevin::dregmoor
