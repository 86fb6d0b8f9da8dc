// The tray form: never seen. It owns the icon in the notification area and its menu, and ends
// the program from "&Exit".
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <functional>
#include <memory>

#include "dregmoor/ui/t_form1.h"
#include "widgets/tray_icon.h"

namespace ostrevin::dregmoor {

// The maker's pages that the menu opens in the browser.
inline constexpr const char* kHomePage = "https://www.ostrevin.example/";
inline constexpr const char* kProductsPage = "https://www.ostrevin.example/products/";
inline constexpr const char* kSupportPage = "https://www.ostrevin.example/support/";

class TForm2 : public QObject {
    Q_OBJECT
  public:
    TForm2(TForm1& form1, std::function<void(const QString& topic)> showHelp,
           std::function<void(const QString& url)> openPage, const QIcon& icon);

    void TrayIcon1DblClick();
    void Open1Click();
    void mnuCloseClick();

    QMenu* PopupMenu1;
    QAction *Open1, *Help1, *G1, *N2, *T1, *Web1, *Home1, *N6, *N7, *mnuClose;
    std::unique_ptr<widgets::TrayIcon> TrayIcon1;

  private:
    QAction* item(QMenu* menu, const char* name, const QString& caption);

    TForm1& form1_;
    std::function<void(const QString&)> showHelp_;
    std::function<void(const QString&)> openPage_;
};

}  // namespace ostrevin::dregmoor
