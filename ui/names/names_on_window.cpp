#include "ui/names/names_on_window.h"

#include "engine/window.h"
#include "ui/form1.h"
#include "ui/names/track_names.h"

namespace lyrabox::names {

void FollowOnWindow(NamesLookup& names, Form1& window) {
  QWidget* display = window.ControlWidget(Control::timeWindow);
  auto show = [&names, &window, display] {
    display->setToolTip(TrackTooltip(names.Names(), window.player().state.CurTrack));
  };
  QObject::connect(&window, &Form1::EventRan, &names, [&names, show] {
    names.Follow();
    show();
  });
  QObject::connect(&names, &NamesLookup::NamesChanged, display, show);
}

}  // namespace lyrabox::names
