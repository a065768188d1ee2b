// SPDX-License-Identifier: GPL-3.0-or-later
// The logic's texts (captions, displays, the boxes' texts) are in the Western (ANSI)
// character set of the system it was written for: Latin-1, both ways.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lyrabox {

inline QString FromSystemText(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToSystemText(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace lyrabox
