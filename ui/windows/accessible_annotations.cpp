// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/windows/accessible_annotations.h"

#include <initguid.h>  // the GUIDs of oleacc.h defined here, not looked for in a library
#include <oleacc.h>

#include "ui/windows/wide_text.h"

namespace lyrabox::windows {
AccessibleAnnotations::AccessibleAnnotations() {
  comJoined_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  void* services = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IAccPropServices, &services))) {
    services_ = static_cast<IAccPropServices*>(services);
  }
}

AccessibleAnnotations::~AccessibleAnnotations() {
  if (services_ != nullptr) services_->Release();
  if (comJoined_) CoUninitialize();
}

void AccessibleAnnotations::Set(HWND control, const std::string& name,
                                const std::string& description) {
  if (services_ == nullptr) return;
  Said& said = said_[control];
  const struct {
    std::string& was;
    const std::string& now;
    const MSAAPROPID& property;
    DWORD event;
  } kTexts[] = {
      {said.name, name, PROPID_ACC_NAME, EVENT_OBJECT_NAMECHANGE},
      {said.description, description, PROPID_ACC_DESCRIPTION, EVENT_OBJECT_DESCRIPTIONCHANGE}};
  for (const auto& text : kTexts) {
    if (text.now == text.was) continue;
    text.was = text.now;
    if (text.now.empty()) {
      services_->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &text.property, 1);
    } else {
      const std::wstring wide = FromUtf8(text.now);
      services_->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, text.property, wide.c_str());
    }
    NotifyWinEvent(text.event, control, OBJID_CLIENT, CHILDID_SELF);
  }
}

void AccessibleAnnotations::Clear() {
  if (services_ == nullptr) return;
  const MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
  for (const auto& [control, said] : said_) {
    services_->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, properties, 2);
  }
  said_.clear();
}

}  // namespace lyrabox::windows
