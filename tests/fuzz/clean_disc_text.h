// SPDX-License-Identifier: GPL-3.0-or-later
// What a disc's text promises of its fields (base/disc_text.h), checked by the fuzz
// targets with Qt's own reading of UTF-8: valid UTF-8, no control character, no blank
// at either end, no more than kMostFieldBytes, and tracks numbered as a disc can
// number them.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <string>

#include "base/disc_text.h"

inline bool IsCleanField(const std::string& field) {
  if (!QByteArrayView(field.data(), static_cast<qsizetype>(field.size())).isValidUtf8()) {
    return false;
  }
  if (field.size() > lyrabox::kMostFieldBytes) return false;
  if (!field.empty() && (field.front() == ' ' || field.back() == ' ')) return false;
  for (const QChar c : QString::fromStdString(field)) {
    if (c.category() == QChar::Other_Control) return false;
  }
  return true;
}

inline bool IsCleanDiscText(const lyrabox::DiscText& text) {
  const auto clean = [](const lyrabox::TitleAndPerformer& entry) {
    return IsCleanField(entry.title) && IsCleanField(entry.performer);
  };
  if (!clean(text.album)) return false;
  for (const auto& [number, entry] : text.tracks) {
    if (number < 1 || number > lyrabox::kLastTrackNumber || !clean(entry)) return false;
  }
  return true;
}
