// SPDX-License-Identifier: GPL-3.0-or-later
// The modal boxes: the system's message box, and a small input dialog of our own
// (Windows has no input box of its own).
#include <string>
#include <vector>

#include "base/identity.h"
#include "platform/windows/windows_host.h"

namespace lyrabox::windows {
namespace {

constexpr const char* kTitle = identity::kTitle;
constexpr WORD kInputEdit = 100;
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

// An in-memory dialog template, written the way the resource compiler writes one.
class DialogTemplate {
 public:
  DialogTemplate(std::string_view title, short width, short height, WORD itemCount) {
    DLGTEMPLATE head{};
    head.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    head.cdit = itemCount;
    head.cx = width;
    head.cy = height;
    Append(&head, sizeof head);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AppendText(title);
    words_.push_back(8);  // font size in points, then the face
    AppendText("MS Sans Serif");
  }

  void AddItem(WORD atom, WORD id, DWORD style, short x, short y, short cx, short cy,
               std::string_view text) {
    if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    Append(&item, sizeof item);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    AppendText(text);
    words_.push_back(0);  // no creation data
  }

  LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(words_.data()); }

 private:
  void Append(const void* data, std::size_t bytes) {
    const auto* from = static_cast<const WORD*>(data);
    words_.insert(words_.end(), from, from + bytes / sizeof(WORD));
  }
  void AppendText(std::string_view text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    words_.insert(words_.end(), wide.begin(), wide.end());
    words_.push_back(0);
  }
  std::vector<WORD> words_;
};

struct InputState {
  std::string defaultText;
  std::string entered;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<InputState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetDlgItemTextA(dialog, kInputEdit, state->defaultText.c_str());
      HWND edit = GetDlgItem(dialog, kInputEdit);
      SendMessageA(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK) {
          HWND edit = GetDlgItem(dialog, kInputEdit);
          std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
          text.resize(static_cast<std::size_t>(
              GetWindowTextA(edit, text.data(), static_cast<int>(text.size()))));
          state->entered = text;
        }
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void WindowsBoxes::Message(std::string_view text) {
  MessageBoxA(owner_, std::string(text).c_str(), kTitle, MB_OK);
}

bool WindowsBoxes::Question(std::string_view text) {
  return MessageBoxA(owner_, std::string(text).c_str(), kTitle, MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

std::string WindowsBoxes::Input(std::string_view prompt, std::string_view title,
                                std::string_view defaultText) {
  // An input box without a title of its own carries the application's, as every box.
  DialogTemplate dialog(title.empty() ? std::string_view(kTitle) : title, 240, 80, 4);
  dialog.AddItem(kStaticClass, 0xFFFF, SS_LEFT, 7, 7, 170, 44, prompt);
  dialog.AddItem(kButtonClass, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 185, 7, 48, 14, "OK");
  dialog.AddItem(kButtonClass, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 185, 25, 48, 14, "Cancel");
  dialog.AddItem(kEditClass, kInputEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 58, 226,
                 13, "");
  InputState state{std::string(defaultText), {}};
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog.get(), owner_, InputProc,
                          reinterpret_cast<LPARAM>(&state));
  return state.entered;  // empty when cancelled
}

}  // namespace lyrabox::windows
