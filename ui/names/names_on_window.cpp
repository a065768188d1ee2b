#include "ui/names/names_on_window.h"

#include "ui/names/track_names.h"

namespace lyrabox::names {

void FollowOnWindow(NamesLookup& names, Form1Controller& controller, QWidget& timeDisplay) {
  auto show = [&names, &controller, &timeDisplay] {
    timeDisplay.setToolTip(TrackTooltip(names.Names(), controller.View().track));
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
