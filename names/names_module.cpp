// SPDX-License-Identifier: GPL-3.0-or-later
// The entry of the module lyrabox-names.so (web_client.h).
#include <type_traits>

#include "base/module.h"
#include "names/web_client.h"

LYRABOX_MODULE_ENTRY lyrabox::names::WebClient* lyrabox_make_web_client(QString& why) {
  return lyrabox::names::MakeQtWebClient(why).release();
}
static_assert(std::is_same_v<decltype(lyrabox_make_web_client), lyrabox::names::MakeWebClientEntry>);
