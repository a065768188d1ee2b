// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/web_client.h"

#include "base/module.h"

namespace lyrabox::names {

std::unique_ptr<WebClient> WebClientFromModule(QString& why) {
  std::string failure;
  auto* make = modules::Entry<MakeWebClientEntry>(kNamesModule, kMakeWebClientEntry, failure);
  if (make == nullptr) {
    why = QString::fromStdString(failure);
    return nullptr;
  }
  return std::unique_ptr<WebClient>(make(why));
}

}  // namespace lyrabox::names
