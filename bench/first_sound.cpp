// SPDX-License-Identifier: GPL-3.0-or-later
// When the first sound was written: reads what SDL's file output writes into the named
// pipe FIFO and prints, as milliseconds since midnight on the local clock (the clock of
// Qt's log stamps), the moment the first sample that is not silence came. Then reads on
// to the end, so that the writer is never held up. Not a test: bench/startup.sh runs it.
//
//   lyrabox-first-sound FIFO
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FIFO\n", argv[0]);
    return 2;
  }
  const int fifo = ::open(argv[1], O_RDONLY | O_CLOEXEC);
  if (fifo < 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::vector<char> buffer(1 << 16);
  bool heard = false;
  ssize_t got;
  while ((got = ::read(fifo, buffer.data(), buffer.size())) > 0) {
    if (heard || std::all_of(buffer.begin(), buffer.begin() + got, [](char c) { return c == 0; })) {
      continue;
    }
    heard = true;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    const long long millis =
        ((local.tm_hour * 60LL + local.tm_min) * 60 + local.tm_sec) * 1000 + now.tv_nsec / 1000000;
    std::printf("%lld\n", millis);
    std::fflush(stdout);
  }
  ::close(fifo);
  return heard ? 0 : 1;
}
