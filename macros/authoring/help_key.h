// F1 anywhere in a window opens its help when the key comes up. Line edits take their key
// releases for themselves, so the window would never hear of an F1 typed into one of its fields;
// this watches every control of the window instead (not the dialogs it owns, which are windows
// of their own).
#pragma once

#include <QKeyEvent>
#include <QWidget>
#include <functional>

namespace keyloom {

class HelpKey : public QObject {
  public:
    HelpKey(QWidget* window, std::function<void()> open) : QObject(window), open_(std::move(open)) {
        window->installEventFilter(this);
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->window() == window) w->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyRelease) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1) return false;
        if (!key->isAutoRepeat() && open_) open_();
        return true;
    }

  private:
    std::function<void()> open_;
};

}  // namespace keyloom
