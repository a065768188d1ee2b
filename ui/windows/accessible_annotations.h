// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader says for the native window's controls: their accessible names
// and descriptions, given to the system's accessibility (MSAA) through Dynamic
// Annotation (oleacc's IAccPropServices::SetHwndPropStr on each control's window), so
// that a button captioned ">" is read as "Play".
//
// Where the system offers no annotation service (no oleacc, or one that does not
// implement it, as Wine's does not), the controls keep the names the system gives
// them, their captions, and the window works as before.
//
// Thread: the user-interface thread, which this object joins to COM's single-threaded
// apartment for its life.
#pragma once

#include <windows.h>

#include <map>
#include <string>

struct IAccPropServices;

namespace lyrabox::windows {

class AccessibleAnnotations final {
 public:
  AccessibleAnnotations();
  ~AccessibleAnnotations();
  AccessibleAnnotations(const AccessibleAnnotations&) = delete;
  AccessibleAnnotations& operator=(const AccessibleAnnotations&) = delete;

  // Gives `control` this name and description (UTF-8), each only when it changed,
  // and tells the system's accessibility of the change, so that a reader hears of it
  // once. An empty text takes the annotation away: the system's own is read again.
  void Set(HWND control, const std::string& name, const std::string& description);
  // Takes every annotation away; before the controls are destroyed.
  void Clear();

 private:
  struct Said {
    std::string name, description;
  };
  bool comJoined_ = false;
  IAccPropServices* services_ = nullptr;
  std::map<HWND, Said> said_;
};

}  // namespace lyrabox::windows
