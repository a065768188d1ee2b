// SPDX-License-Identifier: GPL-3.0-or-later
// Drives lyrabox.exe from outside for the end-to-end run, as a user would; every
// command waits (up to a minute) for what it needs and fails with status 1 after that.
//   lyrabox-probe controls          the window's client size and each control:
//                                   "id left top width height caption", pixels
//   lyrabox-probe text ID           the text a control shows (the time display too)
//   lyrabox-probe tooltip           the time display's tooltip, once it has one (UTF-8)
//   lyrabox-probe click ID          clicks the control once it is enabled
//   lyrabox-probe answer TEXT ID    the box titled "Lyrabox" whose text holds TEXT:
//                                   prints its texts and clicks ID (1 OK, 6 Yes, 7 No)
//   lyrabox-probe close             asks the window to close, as its close box does
//   lyrabox-probe query             asks whether the session may end, as a log-off
//                                   does (WM_QUERYENDSESSION), and prints the answer
//   lyrabox-probe end 1|0           tells the window that the session ends (1) or that
//                                   its end was cancelled (0), as WM_ENDSESSION does
//   lyrabox-probe serial ROOT       the volume serial the system reports for ROOT
//                                   ("d:\\"), in upper-case hexadecimal
//   lyrabox-probe autoplay PROGID VERB ROOT   starts an AutoPlay handler as the shell
//                                   does: VERB of PROGID on the drive's ROOT; ends with
//                                   the started program's status
// Copied in as the other CD player and started with "/play DRIVE" (the AutoPlay
// hand-over), it appends its arguments as one line to started.txt beside itself.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace {

constexpr char kTitle[] = "Lyrabox  Version 1.00";

template <typename Found>
auto WaitFor(const char* what, Found found) {
  for (int tries = 0; tries < 600; ++tries) {
    if (auto result = found()) return result;
    Sleep(100);
  }
  std::fprintf(stderr, "gave up waiting for %s\n", what);
  std::exit(1);
}

std::string Text(HWND window) {
  char text[512];
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The text of the tooltip that `form` gives its time display (control 100). The
// tooltip keeps it in the player's own memory, so it is asked there.
std::string TooltipText(HWND form) {
  HWND tip = nullptr;
  for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w != nullptr;
       w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
    if (GetWindow(w, GW_OWNER) == form) tip = w;
  }
  DWORD player = 0;
  GetWindowThreadProcessId(form, &player);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               player);
  if (tip == nullptr || process == nullptr) return {};
  constexpr std::size_t kChars = 1024;
  wchar_t text[kChars] = L"";
  auto* remote = static_cast<char*>(VirtualAllocEx(
      process, nullptr, sizeof(TTTOOLINFOW) + sizeof text, MEM_COMMIT, PAGE_READWRITE));
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = form;
  tool.uId = 100;
  tool.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof tool);
  WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
  WriteProcessMemory(process, tool.lpszText, text, sizeof text, nullptr);
  SendMessageW(tip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, tool.lpszText, text, sizeof text, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  text[kChars - 1] = L'\0';
  char utf8[4 * kChars];
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
}

HWND Form() {
  return WaitFor("the window", [] {
    HWND form = FindWindowA(nullptr, kTitle);
    return form != nullptr && IsWindowVisible(form) ? form : nullptr;
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "/play") {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string started(path, length);
    started.erase(started.find_last_of('\\') + 1).append("started.txt");
    std::ofstream record(started, std::ios::app);
    for (int i = 1; i < argc; ++i) record << (i > 1 ? " " : "") << argv[i];
    record << "\n";
    return 0;
  }
  if (command == "controls") {
    HWND form = Form();
    RECT client;
    GetClientRect(form, &client);
    std::printf("client %ld %ld\n", client.right, client.bottom);
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT box;
      GetWindowRect(child, &box);
      MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
      std::printf("%d %ld %ld %ld %ld %s\n", GetDlgCtrlID(child), box.left, box.top,
                  box.right - box.left, box.bottom - box.top, Text(child).c_str());
    }
  } else if (command == "text" && argc == 3) {
    HWND control = GetDlgItem(Form(), std::atoi(argv[2]));
    char text[512] = "";
    if (control != nullptr) SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", text);
  } else if (command == "tooltip") {
    HWND form = Form();
    std::printf("%s\n", WaitFor("the time display's tooltip", [form] {
                           const std::string text = TooltipText(form);
                           return text.empty() ? std::nullopt : std::optional(text);
                         })->c_str());
  } else if (command == "click" && argc == 3) {
    HWND button = GetDlgItem(Form(), std::atoi(argv[2]));
    WaitFor("the control to be enabled", [&] { return button != nullptr && IsWindowEnabled(button); });
    PostMessageA(button, BM_CLICK, 0, 0);
  } else if (command == "answer" && argc == 4) {
    const std::string wanted = argv[2];
    HWND box = WaitFor("the box", [&]() -> HWND {
      for (HWND box = FindWindowA("#32770", "Lyrabox"); box;
           box = FindWindowExA(nullptr, box, "#32770", "Lyrabox")) {
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          if (Text(c).find(wanted) != std::string::npos && IsWindowVisible(box)) return box;
        }
      }
      return nullptr;
    });
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      std::printf("%d %s\n", GetDlgCtrlID(c), Text(c).c_str());
    }
    PostMessageA(box, WM_COMMAND, std::atoi(argv[3]), 0);
  } else if (command == "close") {
    PostMessageA(Form(), WM_CLOSE, 0, 0);
  } else if (command == "query") {
    // Answered once the close question (if any) is: a minute at most.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(Form(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000,
                             &answer)) {
      std::fprintf(stderr, "no answer to the query\n");
      return 1;
    }
    std::printf("%lu\n", static_cast<unsigned long>(answer));
  } else if (command == "end" && argc == 3) {
    SendMessageA(Form(), WM_ENDSESSION, std::atoi(argv[2]), ENDSESSION_LOGOFF);
  } else if (command == "serial" && argc == 3) {
    DWORD serial = 0;
    if (!GetVolumeInformationA(argv[2], nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
      std::fprintf(stderr, "no volume information for %s\n", argv[2]);
      return 1;
    }
    std::printf("%lX\n", static_cast<unsigned long>(serial));
  } else if (command == "autoplay" && argc == 5) {
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_CLASSNAME | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.lpClass = argv[2];
    run.lpVerb = argv[3];
    run.lpFile = argv[4];
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&run) || run.hProcess == nullptr) {
      std::fprintf(stderr, "the shell started no program for %s %s (error %lu)\n", argv[2],
                   argv[3], GetLastError());
      return 1;
    }
    WaitForSingleObject(run.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(run.hProcess, &status);
    CloseHandle(run.hProcess);
    return static_cast<int>(status);
  } else {
    std::fprintf(stderr, "usage: lyrabox-probe controls | text ID | tooltip | click ID | "
                         "answer TEXT ID | close | query | end 1|0 | serial ROOT | "
                         "autoplay PROGID VERB ROOT\n");
    return 2;
  }
  return 0;
}
