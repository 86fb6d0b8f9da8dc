// A push button that drops down a list of items and reports the zero-based index of the chosen
// one to OnChange. The list opens on a click, or from the keyboard with Space, Enter or Alt+Down.
#pragma once

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <functional>

namespace ostrevin::widgets {

class TEPMenuButton : public QPushButton {
  public:
    TEPMenuButton(const QString& caption, const QStringList& items, QWidget* parent = nullptr)
        : QPushButton(caption, parent), menu_(new QMenu(this)) {
        for (int i = 0; i < items.size(); ++i) {
            QAction* action = menu_->addAction(items[i]);
            action->setObjectName(QStringLiteral("item%1").arg(i));
            QObject::connect(action, &QAction::triggered, this, [this, i] { choose(i); });
        }
        setMenu(menu_);
    }

    std::function<void(int index)> OnChange;

    QMenu* list() const { return menu_; }
    int count() const { return static_cast<int>(menu_->actions().size()); }
    QString itemText(int index) const { return menu_->actions().value(index)->text(); }

    // What a pick from the list does; also the way tests and assistive tools choose an item.
    void choose(int index) {
        if (index < 0 || index >= count()) return;
        if (OnChange) OnChange(index);
    }

  private:
    QMenu* menu_;
};

}  // namespace ostrevin::widgets
