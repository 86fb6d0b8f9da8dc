// A program's icon in the notification area: a tip, a menu that pops up on the right button's
// press, and a double click with the left button. Generic, so both programs share it.
#pragma once

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

namespace ostrevin::widgets {

class TrayIcon {
  public:
    TrayIcon(const QIcon& icon, const QString& tip, QMenu* menu, QObject* owner)
        : icon_(new QSystemTrayIcon(icon, owner)) {
        icon_->setObjectName("TrayIcon1");
        icon_->setToolTip(tip);
        icon_->setContextMenu(menu);
        QObject::connect(icon_, &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::DoubleClick && onDoubleClick_)
                                 onDoubleClick_();
                         });
    }

    // False on a desktop without a notification area host: an icon would then stay invisible.
    static bool hostAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void setOnDoubleClick(std::function<void()> handler) { onDoubleClick_ = std::move(handler); }
    void show() {
        icon_->show();
        // The embedded icon's own window would otherwise carry the program's title, and be taken
        // for one of its windows by whatever looks windows up by title.
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == "QSystemTrayIconSys")
                widget->setWindowTitle(icon_->toolTip());
    }
    void hide() { icon_->hide(); }
    bool visible() const { return icon_->isVisible(); }
    QSystemTrayIcon* icon() const { return icon_; }

  private:
    QSystemTrayIcon* icon_;
    std::function<void()> onDoubleClick_;
};

}  // namespace ostrevin::widgets
