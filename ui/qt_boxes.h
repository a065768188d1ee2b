// SPDX-License-Identifier: GPL-3.0-or-later
// The modal boxes of the player, drawn with Qt: every box is titled "Lyrabox" unless
// an input box is given a title of its own. Each runs a nested event loop until it is
// answered; the main window keeps its poll out of that loop.
#pragma once

#include "base/identity.h"
#include "platform/platform.h"

namespace lyrabox {

class QtBoxes final : public platform::Boxes {
 public:
  // A message with an OK button and no icon.
  void Message(std::string_view text) override;
  // A question with Yes and No buttons and the question-mark icon; closing the box
  // without choosing counts as No.
  bool Question(std::string_view text) override;
  // An input box with a prompt, OK and Cancel and a line holding `defaultText`;
  // "" on Cancel. An empty `title` gives the box the application title.
  std::string Input(std::string_view prompt, std::string_view title,
                    std::string_view defaultText) override;
};

}  // namespace lyrabox
