#include "ui/window_style.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyle>

namespace lyrabox {
namespace {

class WindowStyle final : public QProxyStyle {
 public:
  explicit WindowStyle(const QString& base) : QProxyStyle(base) {}

  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                     const QWidget* widget) const override {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton) {
      return {};
    }
    return QProxyStyle::standardIcon(icon, option, widget);
  }
};

}  // namespace

void UseWindowStyle() { QApplication::setStyle(new WindowStyle(QApplication::style()->name())); }

}  // namespace lyrabox
