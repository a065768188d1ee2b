// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_style.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
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

  // The menu's access letters ("&Options") are underlined only while Alt is held, as
  // on Windows, so that the captions look as they always have.
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == SH_UnderlineShortcut &&
        (qobject_cast<const QMenuBar*>(widget) != nullptr ||
         qobject_cast<const QMenu*>(widget) != nullptr)) {
      return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier) ? 1 : 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

void UseWindowStyle() { QApplication::setStyle(new WindowStyle(QApplication::style()->name())); }

}  // namespace lyrabox
