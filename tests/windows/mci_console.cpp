// SPDX-License-Identifier: GPL-3.0-or-later
// The system's MCI on command strings from standard input, one a line: each goes to
// mciSendStringA and comes out as a line of the device log's form (the command, a tab,
// the result code, a tab, the reply), so that it compares with lyrabox-mci's log.
//   mci-console.exe < commands.txt > answers.txt
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <string>

int main() {
  char line[1024];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    std::string command(line);
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) command.pop_back();
    char reply[256] = "";
    const MCIERROR code = mciSendStringA(command.c_str(), reply, sizeof reply, nullptr);
    std::printf("%s\t%lu\t%s\n", command.c_str(), static_cast<unsigned long>(code),
                code == 0 ? reply : "");
    std::fflush(stdout);
  }
  return 0;
}
