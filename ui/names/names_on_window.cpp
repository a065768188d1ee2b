#include "ui/names/names_on_window.h"

#include <QTextDocument>

#include "ui/names/track_names.h"

namespace lyrabox::names {

namespace {

// Qt lays a tooltip out as rich text whenever it merely looks like markup
// (Qt::mightBeRichText), and a title of nested tables or a huge image from a disc or
// the service would freeze the window or fill its memory. A name is text, whatever it
// holds: such a tooltip goes escaped, as one paragraph of plain text.
QString AsPlainTooltip(const QString& text) {
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

}  // namespace

void FollowOnWindow(NamesLookup& names, Form1Controller& controller, QWidget& timeDisplay) {
  auto show = [&names, &controller, &timeDisplay] {
    timeDisplay.setToolTip(AsPlainTooltip(TrackTooltip(names.Names(), controller.View().track)));
  };
  const std::size_t observing = controller.Observe([&names, show](const PlayerView&) {
    names.Follow();
    show();
  });
  QObject::connect(&names, &NamesLookup::NamesChanged, &timeDisplay, show);
  QObject::connect(&names, &QObject::destroyed, &timeDisplay,
                   [&controller, observing] { controller.StopObserving(observing); });
}

}  // namespace lyrabox::names
