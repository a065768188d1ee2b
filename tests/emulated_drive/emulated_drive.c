// SPDX-License-Identifier: GPL-3.0-or-later
/* An emulated Linux CD-ROM drive, for tests: loaded with LD_PRELOAD, it makes one
 * device path behave like a drive holding a disc image, so that libcdio's Linux driver,
 * libcdio-paranoia and the player above them run unchanged, as on a real drive; and
 * so does Wine's CD-ROM code, for Wine's own MCI CD audio device and its volumes.
 *
 * It answers, for that path (itself, through symbolic links, or relative to a
 * directory descriptor; everything else goes to the C library):
 *   open/open64/openat/close, stat/lstat/fstat/fstatat and their 64-bit and __xstat
 *   forms (in a 32-bit build also their 64-bit-time forms, and ioctl's), statx, access,
 *   realpath: a block device (major 11, like /dev/sr0).
 * An open descriptor of the drive is an in-memory file named for the node, and any
 * process with the drive preloaded knows it by that name, whoever opened it: Wine's
 * server opens the node and hands its programs copies under other numbers. Each
 * process reads the script and the image itself, keeps its own tray and play, and
 * starts its spin-up at its first use of the drive; the trigger files keep the
 * processes in step.
 * On a descriptor of the drive it answers
 *   the CD-ROM ioctls CDROM_GET_CAPABILITY, CDROM_DRIVE_STATUS, CDROM_DISC_STATUS,
 *   CDROMREADTOCHDR, CDROMREADTOCENTRY, CDROMREADAUDIO, CDROMREADRAW,
 *   CDROM_MEDIA_CHANGED, CDROM_TIMED_MEDIA_CHANGE, CDROMEJECT, CDROMCLOSETRAY,
 *   CDROM_LOCKDOOR, CDROM_SELECT_SPEED, CDROMSUBCHNL, CDROMMULTISESSION, CDROM_GET_MCN,
 *   BLKRRPART (refused, as sr does), SCSI_IOCTL_GET_BUS_NUMBER, SCSI_IOCTL_GET_IDLUN,
 *   and the analog-audio ioctls CDROMPLAYMSF, CDROMPAUSE, CDROMRESUME, CDROMSTART,
 *   CDROMSTOP, CDROMSEEK, which sr turns into the SCSI commands below;
 *   SCSI commands, through CDROM_SEND_PACKET (what libcdio uses) and SG_IO:
 *   TEST UNIT READY, REQUEST SENSE, INQUIRY, START STOP UNIT, PREVENT ALLOW MEDIUM
 *   REMOVAL, READ CAPACITY, READ(10), READ(12), SEEK(10), READ SUB-CHANNEL,
 *   READ TOC/PMA/ATIP, GET CONFIGURATION, PLAY AUDIO MSF, GET EVENT STATUS NOTIFICATION,
 *   PAUSE/RESUME, STOP PLAY/SCAN, MODE SELECT(6/10), MODE SENSE(6/10), SET CD SPEED,
 *   MECHANISM STATUS, READ CD. Any other command gets CHECK CONDITION, ILLEGAL
 *   REQUEST, invalid command operation code (05/20/00).
 * Like the kernel's sr driver, a TOC ioctl on a drive that is still spinning up waits
 * until the disc is ready (at most 20 s); the SCSI commands answer "becoming ready"
 * (02/04/01) instead. An eject is refused (EBUSY) while this process has the node
 * open more than once. The drive's analog play is silent: its position moves on in
 * real time from the start address and stops at the end address; a read, a seek, a
 * stop or an open tray ends it. A disc rests at its first track until played or read.
 *
 * The drive is described by the file that LYRABOX_EMULATED_DRIVE names, one setting a
 * line ('#' starts a comment; sectors are absolute LBAs, first-last inclusive):
 *   device PATH          the node, such as /dev/sr0 (libcdio's drive scan finds
 *                        /dev/cdrom, /dev/dvd, /dev/hd?, /dev/scd?, /dev/sr?)
 *   disc CUE             the image in the drive: a .cue over one .bin of raw 2352-byte
 *                        sectors; without it the drive is empty. Its TITLE and PERFORMER
 *                        lines (the album's before the first TRACK, a track's within it)
 *                        are the disc's CD-Text, which READ TOC format 5 answers
 *   spinup MS            the drive reports "not ready" for MS milliseconds after the
 *                        node is first opened and after each close of the tray
 *   open-when FILE       the tray is opened by hand once FILE exists ...
 *   close-when FILE [CUE|none]  ... and pushed back in once FILE exists, with the same
 *                        disc, another image, or none (the events run in script order)
 *   scratch FIRST LAST   these sectors fail to read (MEDIUM ERROR 03/11/00, EIO)
 *   slow FIRST LAST MS   each read that touches them takes MS milliseconds longer
 *   hang FIRST LAST      a read that touches them never ends, until the tray opens
 *   locked               the drive refuses to eject (EBUSY; 05/53/02 by SCSI)
 *   log FILE             append each request to the node and the answer to FILE
 */
#define _GNU_SOURCE
#undef _FORTIFY_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <pthread.h>
#include <scsi/scsi.h>
#include <scsi/scsi_ioctl.h>
#include <scsi/sg.h>
#include <stdarg.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#define SECTOR 2352
#define MAX_TRACKS 99
#define MAX_RANGES 32
#define MAX_EVENTS 16
#define MAX_FDS 64
#define TOC_WAIT_MS 20000
#define TEXT_MAX 160  /* bytes of one CD-Text field, its NUL included */

typedef struct {
  int count;
  int start[MAX_TRACKS];
  bool data[MAX_TRACKS];
  int leadout;
  char bin[PATH_MAX];
  /* CD-Text: [0] the album's, [t] track t's; "" when the sheet gives none */
  char title[MAX_TRACKS + 1][TEXT_MAX];
  char performer[MAX_TRACKS + 1][TEXT_MAX];
} Image;

typedef struct {
  int first, last, ms;
} Range;

/* The drive's own analog play, out of its audio socket: nothing is heard, the
   position moves on in real time. */
typedef enum { NO_PLAY, PLAYING, PAUSED, PLAY_DONE } Play;

typedef struct {
  bool close;  /* else open */
  char trigger[PATH_MAX];
  char image[PATH_MAX];  /* for a close: "" keeps the disc, "none" leaves it empty */
} Event;

static struct {
  bool active;
  char device[PATH_MAX];
  Image image;
  bool hasDisc;  /* a disc lies in the tray */
  bool trayOpen;
  long spinupMs;
  long long readyAt;  /* ms on the monotonic clock; -1 until the node is first opened */
  Event events[MAX_EVENTS];
  int eventCount, nextEvent;
  Range scratch[MAX_RANGES], slow[MAX_RANGES], hang[MAX_RANGES];
  int scratchCount, slowCount, hangCount;
  bool lockedByScript, lockedByIoctl, prevented;
  bool changed;               /* for CDROM_MEDIA_CHANGED */
  long long changedAt;        /* for CDROM_TIMED_MEDIA_CHANGE */
  int pendingEvent;           /* GET EVENT STATUS media event code, 0 none */
  bool newMediaPending;       /* report "new media" once the disc is ready */
  int lastLba;                /* the head's place: the last sector read or played */
  Play play;
  int playFrom, playEnd;      /* a play from playFrom at playSince, up to playEnd */
  long long playSince;
  unsigned char sense[18];
  int fds[MAX_FDS];           /* the descriptors this process opened on the node */
  int fdCount;
  char fdLink[PATH_MAX];      /* what /proc/self/fd shows for a descriptor of the drive */
  char process[64];           /* this process's name and id, for the log */
  int logFd;
} drive;

static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

/* ---- plumbing: the real functions, and I/O of our own that bypasses them ---- */

static void* next(const char* name) { return dlsym(RTLD_NEXT, name); }

static long long now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

static void sleep_ms(long ms) {
  struct timespec t = {ms / 1000, (ms % 1000) * 1000000};
  nanosleep(&t, NULL);
}

/* The size of what path names, -1 when nothing; the system's own answer, past this
   library's stat (statx has one layout for 32-bit and 64-bit processes). */
static long long file_size(const char* path) {
  struct statx info;
  if (syscall(SYS_statx, AT_FDCWD, path, 0, STATX_SIZE, &info) != 0) return -1;
  return (long long)info.stx_size;
}

static bool exists(const char* path) { return file_size(path) >= 0; }

static int raw_open(const char* path, int flags) {
  return (int)syscall(SYS_openat, AT_FDCWD, path, flags | O_CLOEXEC, 0644);
}

static long raw_pread(int fd, void* out, size_t size, long long offset) {
#ifdef __i386__
  /* A 32-bit process passes the 64-bit offset as two halves, the low one first. */
  return syscall(SYS_pread64, fd, out, size, (unsigned long)offset, (unsigned long)(offset >> 32));
#else
  return syscall(SYS_pread64, fd, out, size, (long)offset);
#endif
}

static void note(const char* format, ...) {
  if (drive.logFd < 0) return;
  char line[512];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (n < 0) return;
  if (n > (int)sizeof line - 2) n = (int)sizeof line - 2;
  line[n++] = '\n';
  if (syscall(SYS_write, drive.logFd, line, (size_t)n) < 0) return;
}

/* ---- which paths and descriptors are the drive ---- */

/* The name of the in-memory file that stands for an open node, and what /proc/self/fd
   shows for it. Every process that has the drive preloaded knows a descriptor of the
   drive by that, whoever opened it: Wine opens the node in its server and hands the
   program a copy of the descriptor under another number. */
#define FD_NAME_FORMAT "emulated-cd:%.200s"

static bool set_fd_link(void) {
  return snprintf(drive.fdLink, sizeof drive.fdLink, "/memfd:" FD_NAME_FORMAT " (deleted)",
                  drive.device) < (int)sizeof drive.fdLink;
}

static bool is_our_fd(int fd) {
  if (!drive.active || fd < 0) return false;
  char link[32], target[PATH_MAX];
  if (snprintf(link, sizeof link, "/proc/self/fd/%d", fd) >= (int)sizeof link) return false;
  long n = syscall(SYS_readlinkat, AT_FDCWD, link, target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  return strcmp(target, drive.fdLink) == 0;
}

/* The path of the directory DIR (a descriptor or AT_FDCWD) in OUT. */
static bool directory_path(int dir, char* out) {
  long n;
  if (dir == AT_FDCWD) {
    n = syscall(SYS_getcwd, out, PATH_MAX) > 0 ? (long)strlen(out) : -1;
  } else {
    char link[32];
    if (snprintf(link, sizeof link, "/proc/self/fd/%d", dir) >= (int)sizeof link) return false;
    n = syscall(SYS_readlinkat, AT_FDCWD, link, out, PATH_MAX - 1);
  }
  if (n <= 0) return false;
  out[n] = '\0';
  return true;
}

static int compare_real_path(const char* path, const char* device);

/* Whether PATH, taken relative to the directory DIR (a descriptor or AT_FDCWD), names
   the node, by its own name or (with FOLLOW) through symbolic links, the folders on
   the way included: Wine opens the node through its drive link (dosdevices/d::,
   relative to the prefix's directory) and through the unix drive (z:/dev/sr0). */
static bool names_node_within(int dir, const char* path, bool follow, int hops) {
  if (!drive.active || !*path) return false;
  if (strcmp(path, drive.device) == 0) return true;
  if (!follow || hops > 8) return false;
  /* Only the node's own file name, or a link, can name it: everything else costs
     one look at the file. */
  const char* base = strrchr(path, '/');
  base = base ? base + 1 : path;
  const char* deviceBase = strrchr(drive.device, '/');
  if (deviceBase && strcmp(base, deviceBase + 1) == 0) {
    char name[PATH_MAX], folder[PATH_MAX];
    if (path[0] == '/') {
      folder[0] = '\0';
    } else if (!directory_path(dir, folder)) {
      return false;
    }
    if (snprintf(name, sizeof name, "%s/%s", folder, path) >= (int)sizeof name) return false;
    return compare_real_path(name, drive.device) == 0;
  }
  char target[PATH_MAX];
  long n = syscall(SYS_readlinkat, dir, path, target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  if (target[0] == '/') return names_node_within(AT_FDCWD, target, follow, hops + 1);
  char beside[PATH_MAX];
  int folder = (int)(base - path);
  if (snprintf(beside, sizeof beside, "%.*s%s", folder, path, target) >= (int)sizeof beside)
    return false;
  return names_node_within(dir, beside, follow, hops + 1);
}

static bool names_node(int dir, const char* path, bool follow) {
  return names_node_within(dir, path, follow, 0);
}

static bool is_node(const char* path) { return names_node(AT_FDCWD, path, true); }

/* ---- the script and the image ---- */

/* NAME taken relative to the folder of the file BASE, in OUT; false when too long. */
static bool path_beside(char* out, const char* base, const char* name) {
  const char* slash = strrchr(base, '/');
  int folder = name[0] == '/' || !slash ? 0 : (int)(slash - base + 1);
  return snprintf(out, PATH_MAX, "%.*s%s", folder, base, name) < PATH_MAX;
}

static bool read_cue(const char* cue, Image* image) {
  memset(image, 0, sizeof *image);
  int fd = raw_open(cue, O_RDONLY);
  if (fd < 0) return false;
  char text[16384];
  long n = syscall(SYS_read, fd, text, sizeof text - 1);
  syscall(SYS_close, fd);
  if (n <= 0) return false;
  text[n] = '\0';
  char* save = NULL;
  for (char* line = strtok_r(text, "\r\n", &save); line; line = strtok_r(NULL, "\r\n", &save)) {
    char word[32] = "", name[PATH_MAX];
    int m, s, f, number;
    char type[32];
    if (sscanf(line, " %31s", word) != 1) continue;
    if (strcmp(word, "FILE") == 0 && sscanf(line, " FILE \"%[^\"]\"", name) == 1) {
      if (!path_beside(image->bin, cue, name)) return false;
    } else if (strcmp(word, "TRACK") == 0 && sscanf(line, " TRACK %d %31s", &number, type) == 2) {
      if (image->count == MAX_TRACKS) return false;
      image->data[image->count] = strcmp(type, "AUDIO") != 0;
      image->start[image->count++] = -1;
    } else if ((strcmp(word, "TITLE") == 0 || strcmp(word, "PERFORMER") == 0) &&
               sscanf(line, " %*s \"%159[^\"]\"", name) == 1) {
      char* field = word[0] == 'T' ? image->title[image->count] : image->performer[image->count];
      snprintf(field, TEXT_MAX, "%.*s", TEXT_MAX - 1, name);
    } else if (strcmp(word, "INDEX") == 0 &&
               sscanf(line, " INDEX 01 %d:%d:%d", &m, &s, &f) == 3 && image->count > 0) {
      image->start[image->count - 1] = (m * 60 + s) * 75 + f;
    }
  }
  long long size = file_size(image->bin);
  if (image->count == 0 || size < 0) return false;
  image->leadout = (int)(size / SECTOR);
  return true;
}

static void load_image(const char* cue, const char* script) {
  char path[PATH_MAX];
  if (!path_beside(path, script, cue)) path[0] = '\0';
  drive.hasDisc = read_cue(path, &drive.image);
  drive.lastLba = drive.image.start[0];
  if (!drive.hasDisc) fprintf(stderr, "emulated drive: cannot read the image %s\n", path);
}

static void read_script(const char* script) {
  int fd = raw_open(script, O_RDONLY);
  if (fd < 0) {
    fprintf(stderr, "emulated drive: cannot read %s\n", script);
    return;
  }
  static char text[65536];
  long n = syscall(SYS_read, fd, text, sizeof text - 1);
  syscall(SYS_close, fd);
  if (n < 0) n = 0;
  text[n] = '\0';
  char* save = NULL;
  for (char* line = strtok_r(text, "\n", &save); line; line = strtok_r(NULL, "\n", &save)) {
    char* hash = strchr(line, '#');
    if (hash) *hash = '\0';
    char key[32], a[PATH_MAX], b[PATH_MAX];
    int first, last, ms;
    int fields = sscanf(line, " %31s %4095s %4095s", key, a, b);
    if (fields < 1) continue;
    if (strcmp(key, "device") == 0 && fields >= 2) {
      snprintf(drive.device, sizeof drive.device, "%s", a);
    } else if (strcmp(key, "disc") == 0 && fields >= 2) {
      load_image(a, script);
    } else if (strcmp(key, "spinup") == 0 && fields >= 2) {
      drive.spinupMs = atol(a);
    } else if ((strcmp(key, "open-when") == 0 || strcmp(key, "close-when") == 0) && fields >= 2 &&
               drive.eventCount < MAX_EVENTS) {
      Event* event = &drive.events[drive.eventCount++];
      event->close = key[0] == 'c';
      bool fits = path_beside(event->trigger, script, a);
      if (fields >= 3 && strcmp(b, "none") != 0) fits = fits && path_beside(event->image, script, b);
      else strcpy(event->image, fields >= 3 ? "none" : "");
      if (!fits) fprintf(stderr, "emulated drive: %s: a path too long in \"%s\"\n", script, line);
    } else if (strcmp(key, "locked") == 0) {
      drive.lockedByScript = true;
    } else if (strcmp(key, "log") == 0 && fields >= 2) {
      if (path_beside(b, script, a)) drive.logFd = raw_open(b, O_WRONLY | O_CREAT | O_APPEND);
    } else if (strcmp(key, "scratch") == 0 || strcmp(key, "hang") == 0) {
      Range* ranges = key[0] == 's' ? drive.scratch : drive.hang;
      int* count = key[0] == 's' ? &drive.scratchCount : &drive.hangCount;
      if (sscanf(line, " %*s %d %d", &first, &last) == 2 && *count < MAX_RANGES)
        ranges[(*count)++] = (Range){first, last, 0};
    } else if (strcmp(key, "slow") == 0) {
      if (sscanf(line, " %*s %d %d %d", &first, &last, &ms) == 3 && drive.slowCount < MAX_RANGES)
        drive.slow[drive.slowCount++] = (Range){first, last, ms};
    } else {
      fprintf(stderr, "emulated drive: %s: cannot read the line \"%s\"\n", script, line);
    }
  }
  drive.active = drive.device[0] != '\0' && set_fd_link();
}

__attribute__((constructor)) static void start(void) {
  drive.logFd = -1;
  drive.readyAt = -1;
  char name[32] = "";
  int fd = raw_open("/proc/self/comm", O_RDONLY);
  long n = fd < 0 ? -1 : syscall(SYS_read, fd, name, sizeof name - 1);
  if (fd >= 0) syscall(SYS_close, fd);
  name[n > 0 ? n - 1 : 0] = '\0';
  snprintf(drive.process, sizeof drive.process, "%.31s %d", name, (int)getpid());
  const char* script = getenv("LYRABOX_EMULATED_DRIVE");
  if (script && *script) read_script(script);
}

/* ---- the drive's state ---- */

static void media_change(int eventCode) {
  drive.changed = true;
  drive.changedAt = now_ms();
  drive.pendingEvent = eventCode;
}

static void tray_out(void) {
  if (drive.trayOpen) return;
  drive.trayOpen = true;
  drive.play = NO_PLAY;
  drive.newMediaPending = false;
  media_change(3 /* media removal */);
  note("  tray opens");
}

static void tray_in(const char* image) {
  if (!drive.trayOpen) return;
  drive.trayOpen = false;
  if (strcmp(image, "none") == 0) drive.hasDisc = false;
  else if (image[0] != '\0') drive.hasDisc = read_cue(image, &drive.image);
  drive.readyAt = now_ms() + drive.spinupMs;
  if (drive.hasDisc) {
    drive.newMediaPending = true;
    drive.lastLba = drive.image.start[0];
  }
  drive.changed = true;
  drive.changedAt = now_ms();
  note("  tray closes, %s", drive.hasDisc ? "with a disc" : "empty");
}

/* Runs the hand's events whose trigger files have appeared, in script order. */
static void look_at_triggers(void) {
  while (drive.nextEvent < drive.eventCount && exists(drive.events[drive.nextEvent].trigger)) {
    const Event* event = &drive.events[drive.nextEvent++];
    if (event->close) tray_in(event->image);
    else tray_out();
  }
}

typedef enum { READY, BECOMING_READY, NO_DISC, TRAY_OPEN } Condition;

static Condition condition(void) {
  look_at_triggers();
  if (drive.trayOpen) return TRAY_OPEN;
  if (!drive.hasDisc) return NO_DISC;
  if (drive.readyAt < 0 || now_ms() < drive.readyAt) return BECOMING_READY;
  if (drive.newMediaPending) {
    drive.newMediaPending = false;
    media_change(2 /* new media */);
  }
  return READY;
}

static bool in_ranges(const Range* ranges, int count, int first, int n, int* ms) {
  for (int i = 0; i < count; ++i) {
    if (ranges[i].first <= first + n - 1 && first <= ranges[i].last) {
      if (ms) *ms = ranges[i].ms;
      return true;
    }
  }
  return false;
}

/* Waits MS milliseconds (or for ever when MS < 0) with the lock released; false when
   the tray opened meanwhile. */
static bool wait_unless_tray_opens(long ms) {
  long long until = now_ms() + ms;
  while (ms < 0 || now_ms() < until) {
    pthread_mutex_unlock(&lock);
    sleep_ms(5);
    pthread_mutex_lock(&lock);
    if (condition() == TRAY_OPEN) return false;
  }
  return true;
}

/* ---- SCSI ---- */

typedef struct {
  int key, asc, ascq;
} Sense;

static const Sense kGood = {0, 0, 0};

static Sense sense(int key, int asc, int ascq) { return (Sense){key, asc, ascq}; }

static Sense not_ready_sense(Condition c) {
  if (c == BECOMING_READY) return sense(2, 0x04, 0x01);
  if (c == TRAY_OPEN) return sense(2, 0x3A, 0x02);
  return sense(2, 0x3A, 0x01);
}

static void put16(unsigned char* p, int v) { p[0] = (unsigned char)(v >> 8); p[1] = (unsigned char)v; }
static void put32(unsigned char* p, long v) {
  p[0] = (unsigned char)(v >> 24); p[1] = (unsigned char)(v >> 16);
  p[2] = (unsigned char)(v >> 8); p[3] = (unsigned char)v;
}
static int get16(const unsigned char* p) { return p[0] << 8 | p[1]; }
static int get24(const unsigned char* p) { return p[0] << 16 | p[1] << 8 | p[2]; }
static int get32(const unsigned char* p) { return (int)((unsigned)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3]); }

static void address(unsigned char* p, int lba, bool msf) {
  if (!msf) {
    put32(p, lba);
    return;
  }
  int frames = lba + 150;
  p[0] = 0; p[1] = (unsigned char)(frames / 4500);
  p[2] = (unsigned char)(frames / 75 % 60); p[3] = (unsigned char)(frames % 75);
}

static int track_of(int lba) {
  int t = 0;
  while (t + 1 < drive.image.count && drive.image.start[t + 1] <= lba) ++t;
  return t;
}

/* ---- the analog play ---- */

/* The head's place, moved on by a play in progress, which ends at its end address. */
static int head(void) {
  if (drive.play == PLAYING) {
    long long lba = drive.playFrom + (now_ms() - drive.playSince) * 75 / 1000;
    if (lba >= drive.playEnd) {
      lba = drive.playEnd;
      drive.play = PLAY_DONE;
      note("  the play reaches %d", drive.playEnd);
    }
    drive.lastLba = (int)lba;
  }
  return drive.lastLba;
}

/* The audio status of READ SUB-CHANNEL and CDROMSUBCHNL; a finished play is told once. */
static int audio_status(void) {
  head();
  Play play = drive.play;
  if (play == PLAY_DONE) drive.play = NO_PLAY;
  return play == PLAYING ? CDROM_AUDIO_PLAY : play == PAUSED ? CDROM_AUDIO_PAUSED
       : play == PLAY_DONE ? CDROM_AUDIO_COMPLETED : CDROM_AUDIO_NO_STATUS;
}

static int lba_of_msf(const unsigned char* msf) { return (msf[0] * 60 + msf[1]) * 75 + msf[2] - 150; }

static Sense play_audio(int from, int end) {
  head();
  if (from > end) return sense(5, 0x24, 0x00);
  if (from < 0 || end > drive.image.leadout) return sense(5, 0x21, 0x00);
  if (drive.image.data[track_of(from)]) return sense(5, 0x64, 0x00);
  if (from == end) return kGood;
  drive.play = PLAYING;
  drive.playFrom = drive.lastLba = from;
  drive.playEnd = end;
  drive.playSince = now_ms();
  return kGood;
}

/* PAUSE/RESUME: pausing what does not play or resuming what is not paused is a
   command sequence error, but either asked twice is not. */
static Sense pause_resume(bool resume) {
  head();
  if (resume && drive.play == PAUSED) {
    drive.play = PLAYING;
    drive.playFrom = drive.lastLba;
    drive.playSince = now_ms();
  } else if (!resume && drive.play == PLAYING) {
    drive.play = PAUSED;
  } else if (drive.play != (resume ? PLAYING : PAUSED)) {
    return sense(5, 0x2C, 0x00);
  }
  return kGood;
}

/* Reads N sectors from LBA into OUT (may be NULL: only checks); the sense of the read. */
static Sense read_sectors(int lba, int n, unsigned char* out, bool audioOnly) {
  Condition c = condition();
  if (c != READY) return not_ready_sense(c);
  if (n == 0) return kGood;
  if (lba < 0 || n < 0 || lba + n > drive.image.leadout) return sense(5, 0x21, 0x00);
  for (int i = 0; i < n; ++i)
    if (drive.image.data[track_of(lba + i)] == audioOnly) return sense(5, 0x64, 0x00);
  int ms;
  if (in_ranges(drive.slow, drive.slowCount, lba, n, &ms) && !wait_unless_tray_opens(ms))
    return sense(2, 0x3A, 0x02);
  if (in_ranges(drive.hang, drive.hangCount, lba, n, NULL)) {
    note("  the read hangs");
    wait_unless_tray_opens(-1);
    return sense(2, 0x3A, 0x02);
  }
  if (in_ranges(drive.scratch, drive.scratchCount, lba, n, NULL)) return sense(3, 0x11, 0x00);
  if (out) {
    int fd = raw_open(drive.image.bin, O_RDONLY);
    long want = (long)n * SECTOR;
    long got = fd < 0 ? -1 : raw_pread(fd, out, (size_t)want, (long long)lba * SECTOR);
    if (fd >= 0) syscall(SYS_close, fd);
    if (got != want) return sense(3, 0x11, 0x00);
  }
  drive.play = NO_PLAY; /* reading moves the head away from any play */
  drive.lastLba = lba + n - 1;
  return kGood;
}

/* ---- CD-Text: the packs of the lead-in, as READ TOC format 5 returns them ---- */

#define PACK 18
#define MAX_PACKS 255  /* the sequence numbers of one block are one byte */

/* The CRC of a pack: CCITT (x^16 + x^12 + x^5 + 1) over its first 16 bytes, from 0,
 * stored inverted, high byte first. */
static void seal_pack(unsigned char* pack) {
  unsigned crc = 0;
  for (int i = 0; i < 16; ++i) {
    crc ^= (unsigned)pack[i] << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
  }
  crc = ~crc & 0xFFFF;
  pack[16] = (unsigned char)(crc >> 8);
  pack[17] = (unsigned char)crc;
}

/* Appends the packs of one type: the fields of the album and of every track, each with
 * its NUL, run on through 12-byte payloads. A pack names the track whose text its
 * payload begins with, and how many of that text's characters came before (at most
 * 15). Returns the new pack count; nothing for a type no field uses. */
static int text_packs(unsigned char* out, int packs, int type, const Image* im,
                      const char (*fields)[TEXT_MAX]) {
  bool any = false;
  for (int t = 0; t <= im->count; ++t) any = any || fields[t][0] != '\0';
  if (!any) return packs;
  int track = 0, done = 0, used = 12;
  unsigned char* pack = NULL;
  while (track <= im->count) {
    if (used == 12) {
      if (packs == MAX_PACKS - 3) return packs;
      pack = out + packs++ * PACK;
      memset(pack, 0, PACK);
      pack[0] = (unsigned char)type;
      pack[1] = (unsigned char)track;
      pack[3] = (unsigned char)(done < 15 ? done : 15);
      used = 0;
    }
    char c = fields[track][done];
    pack[4 + used++] = (unsigned char)c;
    if (c == '\0') {
      ++track;
      done = 0;
    } else {
      ++done;
    }
  }
  return packs;
}

/* The disc's CD-Text as packs in `out` (room for MAX_PACKS): the titles, the performers,
 * and the three size packs that close block 0 (ISO 8859-1, English). Returns how many;
 * 0 for a disc without text. */
static int cdtext(const Image* im, unsigned char* out) {
  int packs = text_packs(out, 0, 0x80, im, im->title);
  int titles = packs;
  packs = text_packs(out, packs, 0x81, im, im->performer);
  if (packs == 0) return 0;
  unsigned char size[36] = {0};
  size[0] = 0x00;  /* ISO 8859-1 */
  size[1] = 1;
  size[2] = (unsigned char)im->count;
  size[4 + 0] = (unsigned char)titles;
  size[4 + 1] = (unsigned char)(packs - titles);
  size[4 + 15] = 3;
  size[20] = (unsigned char)(packs + 2);  /* the last sequence number of block 0 */
  size[28] = 0x09;  /* English */
  for (int i = 0; i < 3; ++i) {
    unsigned char* pack = out + (packs + i) * PACK;
    memset(pack, 0, PACK);
    pack[0] = 0x8F;
    pack[1] = (unsigned char)i;
    memcpy(pack + 4, size + 12 * i, 12);
  }
  packs += 3;
  for (int i = 0; i < packs; ++i) {
    out[i * PACK + 2] = (unsigned char)i;
    seal_pack(out + i * PACK);
  }
  return packs;
}

static Sense read_cdtext(unsigned char* out, int length, int* filled) {
  static unsigned char buf[4 + MAX_PACKS * PACK];
  memset(buf, 0, sizeof buf);
  int n = 4 + cdtext(&drive.image, buf + 4) * PACK;
  put16(buf, n - 2);
  *filled = n < length ? n : length;
  memcpy(out, buf, (size_t)*filled);
  return kGood;
}

static Sense read_toc(const unsigned char* cdb, unsigned char* out, int length, int* filled) {
  Condition c = condition();
  if (c != READY) return not_ready_sense(c);
  bool msf = cdb[1] & 0x02;
  int format = cdb[2] & 0x0F;
  if (format == 0 && (cdb[9] >> 6)) format = cdb[9] >> 6;
  if (format == 5) return read_cdtext(out, length, filled);
  const Image* im = &drive.image;
  unsigned char buf[4 + 8 * (MAX_TRACKS + 1)];
  memset(buf, 0, sizeof buf);
  int n = 4;
  if (format == 0) {
    int from = cdb[6];
    if (from > im->count && from != 0xAA) return sense(5, 0x24, 0x00);
    buf[2] = 1;
    buf[3] = (unsigned char)im->count;
    for (int t = 0; t <= im->count; ++t) {
      int number = t < im->count ? t + 1 : 0xAA;
      if (number < from && number != 0xAA) continue;
      unsigned char* e = buf + n;
      e[1] = (unsigned char)(0x10 | (t < im->count && im->data[t] ? 0x04 : 0));
      e[2] = (unsigned char)number;
      address(e + 4, t < im->count ? im->start[t] : im->leadout, msf);
      n += 8;
    }
  } else if (format == 1) {
    buf[2] = 1; buf[3] = 1;
    buf[5] = 0x10 | (im->data[0] ? 0x04 : 0);
    buf[6] = 1;
    address(buf + 8, im->start[0], msf);
    n = 12;
  } else {
    return sense(5, 0x24, 0x00);
  }
  put16(buf, n - 2);
  *filled = n < length ? n : length;
  memcpy(out, buf, (size_t)*filled);
  return kGood;
}

static Sense mode_sense(const unsigned char* cdb, unsigned char* out, int length, int* filled) {
  bool ten = cdb[0] == 0x5A;
  int page = cdb[2] & 0x3F;
  unsigned char buf[64];
  memset(buf, 0, sizeof buf);
  int header = ten ? 8 : 4;
  int n = header;
  if (page == 0x2A || page == 0x3F) {
    unsigned char* p = buf + n;
    p[0] = 0x2A; p[1] = 0x14;
    p[2] = 0x03;                         /* reads CD-R and CD-RW */
    p[4] = 0x01;                         /* plays audio */
    p[5] = 0x03;                         /* CD-DA commands, accurate stream */
    p[6] = (unsigned char)(0x29 | ((drive.lockedByScript || drive.lockedByIoctl || drive.prevented) ? 0x02 : 0));
    /* lock, eject, tray loader */
    put16(p + 8, 7056); put16(p + 10, 256); put16(p + 12, 2048); put16(p + 14, 7056);
    n += 22;
  } else if (page == 0x01) {
    buf[n] = 0x01; buf[n + 1] = 0x06; buf[n + 3] = 5;
    n += 8;
  } else {
    return sense(5, 0x24, 0x00);
  }
  if (ten) put16(buf, n - 2);
  else buf[0] = (unsigned char)(n - 1);
  *filled = n < length ? n : length;
  memcpy(out, buf, (size_t)*filled);
  return kGood;
}

/* Runs one command; FILLED is how many bytes of OUT it wrote. */
static Sense scsi(const unsigned char* cdb, unsigned char* out, int length, int* filled) {
  *filled = 0;
  unsigned char buf[64];
  memset(buf, 0, sizeof buf);
  int n = 0;
  Condition c;
  switch (cdb[0]) {
    case 0x00: /* TEST UNIT READY */
      c = condition();
      return c == READY ? kGood : not_ready_sense(c);
    case 0x03: /* REQUEST SENSE */
      memcpy(buf, drive.sense, sizeof drive.sense);
      n = sizeof drive.sense;
      break;
    case 0x12: /* INQUIRY */
      buf[0] = 0x05; buf[1] = 0x80; buf[2] = 0x05; buf[3] = 0x02; buf[4] = 31;
      memcpy(buf + 8, "LYRABOX EMULATED CD-ROM 1.00", 28);
      n = 36;
      break;
    case 0x1B: /* START STOP UNIT */
      if (!(cdb[4] & 0x01)) drive.play = NO_PLAY; /* the motor stops */
      if (cdb[4] & 0x02) {
        if (cdb[4] & 0x01) {
          tray_in("");
        } else {
          if (drive.lockedByScript || drive.prevented) return sense(5, 0x53, 0x02);
          tray_out();
        }
      }
      return kGood;
    case 0x1E: /* PREVENT ALLOW MEDIUM REMOVAL */
      drive.prevented = cdb[4] & 0x01;
      return kGood;
    case 0x25: /* READ CAPACITY */
      c = condition();
      if (c != READY) return not_ready_sense(c);
      put32(buf, drive.image.leadout - 1); put32(buf + 4, 2048);
      n = 8;
      break;
    case 0x28: case 0xA8: { /* READ(10), READ(12): data sectors only */
      int count = cdb[0] == 0x28 ? get16(cdb + 7) : get32(cdb + 6);
      Sense s = read_sectors(get32(cdb + 2), count, NULL, false);
      if (s.key) return s;
      return sense(5, 0x64, 0x00); /* the images hold no data sectors to give */
    }
    case 0x2B: { /* SEEK(10): the head moves; a play ends */
      c = condition();
      if (c != READY) return not_ready_sense(c);
      int lba = get32(cdb + 2);
      if (lba < 0 || lba >= drive.image.leadout) return sense(5, 0x21, 0x00);
      drive.play = NO_PLAY;
      drive.lastLba = lba;
      return kGood;
    }
    case 0x47: /* PLAY AUDIO MSF */
      c = condition();
      if (c != READY) return not_ready_sense(c);
      return play_audio(lba_of_msf(cdb + 3), lba_of_msf(cdb + 6));
    case 0x4B: /* PAUSE/RESUME */
      c = condition();
      if (c != READY) return not_ready_sense(c);
      return pause_resume(cdb[8] & 0x01);
    case 0x4E: /* STOP PLAY/SCAN */
      head();
      drive.play = NO_PLAY;
      return kGood;
    case 0x42: { /* READ SUB-CHANNEL */
      c = condition();
      if (c != READY) return not_ready_sense(c);
      bool msf = cdb[1] & 0x02;
      buf[1] = (unsigned char)audio_status();
      if (cdb[2] & 0x40) {
        int format = cdb[3];
        buf[4] = (unsigned char)format;
        if (format == 1) {
          int t = track_of(drive.lastLba);
          buf[5] = (unsigned char)(0x10 | (drive.image.data[t] ? 0x04 : 0));
          buf[6] = (unsigned char)(t + 1); buf[7] = 1;
          address(buf + 8, drive.lastLba, msf);
          address(buf + 12, drive.lastLba - drive.image.start[t] - (msf ? 150 : 0), msf);
          n = 16;
        } else if (format == 2 || format == 3) {
          n = 24; /* no catalogue number, no ISRC: the valid bit stays clear */
        } else {
          return sense(5, 0x24, 0x00);
        }
        put16(buf + 2, n - 4);
      } else {
        n = 4;
      }
      break;
    }
    case 0x43: /* READ TOC/PMA/ATIP */
      return read_toc(cdb, out, length, filled);
    case 0x46: /* GET CONFIGURATION: the profile list, CD-ROM current when a disc is in */
      c = condition();
      put32(buf, 4 + 8);
      put16(buf + 6, c == READY ? 0x0008 : 0);
      buf[8 + 2] = 0x03; buf[8 + 3] = 4;
      put16(buf + 12, 0x0008); buf[14] = c == READY ? 1 : 0;
      n = 16;
      break;
    case 0x4A: { /* GET EVENT STATUS NOTIFICATION */
      if (!(cdb[1] & 0x01)) return sense(5, 0x24, 0x00);
      c = condition();
      buf[3] = 0x10; /* media events supported */
      if (cdb[4] & 0x10) {
        put16(buf, 6);
        buf[2] = 0x04;
        buf[4] = (unsigned char)drive.pendingEvent;
        buf[5] = (unsigned char)((c == TRAY_OPEN ? 0x01 : 0) | (c == READY || c == BECOMING_READY ? 0x02 : 0));
        drive.pendingEvent = 0;
        n = 8;
      } else {
        put16(buf, 2);
        buf[2] = 0x80; /* no event available */
        n = 4;
      }
      break;
    }
    case 0x15: case 0x55: /* MODE SELECT */
      return kGood;
    case 0x1A: case 0x5A: /* MODE SENSE */
      return mode_sense(cdb, out, length, filled);
    case 0xBB: /* SET CD SPEED */
      return kGood;
    case 0xBD: /* MECHANISM STATUS */
      c = condition();
      head();
      buf[1] = c == TRAY_OPEN ? 0x10 : 0;
      buf[2] = (unsigned char)(drive.lastLba >> 16); buf[3] = (unsigned char)(drive.lastLba >> 8);
      buf[4] = (unsigned char)drive.lastLba;
      n = 8;
      break;
    case 0xBE: { /* READ CD */
      int type = (cdb[1] >> 2) & 0x07;
      if (cdb[10] & 0x07) return sense(5, 0x24, 0x00); /* no sub-channel data */
      if (type != 0 && type != 1) return sense(5, 0x64, 0x00);
      int lba = get32(cdb + 2), count = get24(cdb + 6);
      if ((long)count * SECTOR > length) return sense(5, 0x24, 0x00);
      Sense s = read_sectors(lba, count, out, true);
      if (s.key == 0) *filled = count * SECTOR;
      return s;
    }
    default:
      return sense(5, 0x20, 0x00);
  }
  *filled = n < length ? n : length;
  if (out && *filled > 0) memcpy(out, buf, (size_t)*filled);
  return kGood;
}

static void fixed_sense(unsigned char* p, Sense s) {
  memset(p, 0, 18);
  p[0] = 0x70; p[2] = (unsigned char)s.key; p[7] = 10; p[12] = (unsigned char)s.asc;
  p[13] = (unsigned char)s.ascq;
}

static Sense run_scsi(const unsigned char* cdb, unsigned char* out, int length, int* filled) {
  Sense s = scsi(cdb, out, length, filled);
  if (cdb[0] != 0x03) fixed_sense(drive.sense, s);
  note("SCSI %02X -> %X/%02X/%02X, %d bytes", cdb[0], s.key, s.asc, s.ascq, *filled);
  return s;
}

/* ---- the CD-ROM ioctls ---- */

static int fail(int error) {
  errno = error;
  return -1;
}

static int drive_status(void) {
  switch (condition()) {
    case READY: return CDS_DISC_OK;
    case BECOMING_READY: return CDS_DRIVE_NOT_READY;
    case TRAY_OPEN: return CDS_TRAY_OPEN;
    default: return CDS_NO_DISC;
  }
}

/* The TOC ioctls: like sr, wait while the drive becomes ready. */
static int toc_ready(void) {
  long long until = now_ms() + TOC_WAIT_MS;
  Condition c;
  while ((c = condition()) == BECOMING_READY && now_ms() < until) wait_unless_tray_opens(5);
  return c == READY ? 0 : ENOMEDIUM;
}

static void msf_or_lba(union cdrom_addr* a, int lba, int format) {
  if (format == CDROM_LBA) {
    a->lba = lba;
  } else {
    a->msf.minute = (unsigned char)((lba + 150) / 4500);
    a->msf.second = (unsigned char)((lba + 150) / 75 % 60);
    a->msf.frame = (unsigned char)((lba + 150) % 75);
  }
}

static int lba_of(const union cdrom_addr* a, int format) {
  if (format == CDROM_LBA) return a->lba;
  return (a->msf.minute * 60 + a->msf.second) * 75 + a->msf.frame - 150;
}

static int sense_errno(Sense s) {
  if (s.key == 0) return 0;
  if (s.key == 2) return s.asc == 0x04 ? EIO : ENOMEDIUM;
  if (s.key == 5) return EINVAL;
  return EIO;
}

/* What sr makes of a failed command of the analog-audio ioctls. */
static int ioctl_errno(Sense s) { return s.key == 2 ? ENOMEDIUM : EIO; }

/* The analog-audio ioctls: sr sends them to the drive as these SCSI commands. */
static int audio_command(unsigned char op, int a, int b) {
  unsigned char cdb[12] = {op};
  switch (op) {
    case 0x47: /* PLAY AUDIO MSF from A to B (LBAs) */
      address(cdb + 2, a, true);
      address(cdb + 5, b, true);
      break;
    case 0x4B: cdb[8] = (unsigned char)a; break;           /* PAUSE/RESUME */
    case 0x1B: cdb[1] = 1; cdb[4] = (unsigned char)a; break; /* START STOP UNIT */
    case 0x2B: put32(cdb + 2, a); break;                     /* SEEK(10) */
  }
  int filled;
  Sense s = run_scsi(cdb, NULL, 0, &filled);
  return s.key ? fail(ioctl_errno(s)) : 0;
}

/* This process's own opens: a process handed a descriptor has none. */
static int count_open(void) { return drive.fdCount; }

static int cd_ioctl(unsigned long request, void* arg) {
  int error;
  Sense s;
  const Image* im = &drive.image;
  switch (request) {
    case CDROM_GET_CAPABILITY:
      return CDC_CLOSE_TRAY | CDC_OPEN_TRAY | CDC_LOCK | CDC_SELECT_SPEED | CDC_MULTI_SESSION |
             CDC_MCN | CDC_MEDIA_CHANGED | CDC_PLAY_AUDIO | CDC_RESET | CDC_DRIVE_STATUS |
             CDC_GENERIC_PACKET;
    case CDROM_DRIVE_STATUS:
      return drive_status();
    case CDROM_DISC_STATUS: {
      int status = drive_status();
      if (status == CDS_DRIVE_NOT_READY) status = toc_ready() ? CDS_NO_DISC : CDS_DISC_OK;
      if (status != CDS_DISC_OK) return status == CDS_TRAY_OPEN ? CDS_NO_INFO : CDS_NO_DISC;
      for (int t = 0; t < im->count; ++t)
        if (im->data[t]) return CDS_MIXED;
      return CDS_AUDIO;
    }
    case CDROMREADTOCHDR: {
      if ((error = toc_ready())) return fail(error);
      struct cdrom_tochdr* h = arg;
      h->cdth_trk0 = 1;
      h->cdth_trk1 = (unsigned char)im->count;
      return 0;
    }
    case CDROMREADTOCENTRY: {
      if ((error = toc_ready())) return fail(error);
      struct cdrom_tocentry* e = arg;
      int t = e->cdte_track == CDROM_LEADOUT ? im->count : e->cdte_track - 1;
      if (t < 0 || t > im->count || (t == im->count && e->cdte_track != CDROM_LEADOUT)) return fail(EINVAL);
      e->cdte_adr = 1;
      e->cdte_ctrl = t < im->count && im->data[t] ? CDROM_DATA_TRACK : 0;
      e->cdte_datamode = 0;
      msf_or_lba(&e->cdte_addr, t < im->count ? im->start[t] : im->leadout, e->cdte_format);
      return 0;
    }
    case CDROMREADAUDIO: {
      struct cdrom_read_audio* r = arg;
      if (r->nframes < 1 || r->nframes > 75) return fail(EINVAL);
      s = read_sectors(lba_of(&r->addr, r->addr_format), r->nframes, r->buf, true);
      fixed_sense(drive.sense, s);
      return s.key ? fail(sense_errno(s)) : 0;
    }
    case CDROMREADRAW: {
      struct cdrom_msf* m = arg;
      int lba = (m->cdmsf_min0 * 60 + m->cdmsf_sec0) * 75 + m->cdmsf_frame0 - 150;
      s = read_sectors(lba, 1, arg, true);
      return s.key ? fail(sense_errno(s)) : 0;
    }
    case CDROM_MEDIA_CHANGED: {
      condition();
      int changed = drive.changed;
      drive.changed = false;
      return changed;
    }
    case CDROM_TIMED_MEDIA_CHANGE: {
      condition();
      struct cdrom_timed_media_change_info* info = arg;
      info->media_flags = drive.changedAt > info->last_media_change ? MEDIA_CHANGED_FLAG : 0;
      info->last_media_change = drive.changedAt;
      return 0;
    }
    case CDROMEJECT:
      if (count_open() > 1 || drive.lockedByScript || drive.lockedByIoctl) return fail(EBUSY);
      condition();
      tray_out();
      return 0;
    case CDROMCLOSETRAY:
      condition();
      tray_in("");
      return 0;
    case CDROM_LOCKDOOR:
      if (!arg && drive.lockedByScript) return fail(EBUSY);
      drive.lockedByIoctl = arg != NULL;
      return 0;
    case CDROM_SELECT_SPEED:
      return 0;
    case CDROMSUBCHNL: {
      struct cdrom_subchnl* sc = arg;
      Condition c = condition();
      if (c != READY) return fail(c == BECOMING_READY ? EIO : ENOMEDIUM);
      sc->cdsc_audiostatus = (unsigned char)audio_status();
      int t = track_of(drive.lastLba);
      sc->cdsc_adr = 1;
      sc->cdsc_ctrl = im->data[t] ? CDROM_DATA_TRACK : 0;
      sc->cdsc_trk = (unsigned char)(t + 1);
      sc->cdsc_ind = 1;
      msf_or_lba(&sc->cdsc_absaddr, drive.lastLba, sc->cdsc_format);
      msf_or_lba(&sc->cdsc_reladdr, drive.lastLba - im->start[t] - (sc->cdsc_format == CDROM_LBA ? 0 : 150),
                 sc->cdsc_format);
      return 0;
    }
    case CDROMPLAYMSF: {
      const struct cdrom_msf* m = arg;
      const unsigned char from[3] = {m->cdmsf_min0, m->cdmsf_sec0, m->cdmsf_frame0};
      const unsigned char to[3] = {m->cdmsf_min1, m->cdmsf_sec1, m->cdmsf_frame1};
      return audio_command(0x47, lba_of_msf(from), lba_of_msf(to));
    }
    case CDROMPAUSE:
    case CDROMRESUME:
      return audio_command(0x4B, request == CDROMRESUME, 0);
    case CDROMSTART:
    case CDROMSTOP:
      return audio_command(0x1B, request == CDROMSTART, 0);
    case CDROMSEEK: {
      const struct cdrom_msf0* m = arg;
      const unsigned char at[3] = {m->minute, m->second, m->frame};
      return audio_command(0x2B, lba_of_msf(at), 0);
    }
    case CDROMMULTISESSION: {
      if ((error = toc_ready())) return fail(error);
      struct cdrom_multisession* ms = arg;
      ms->xa_flag = 0;
      msf_or_lba(&ms->addr, 0, ms->addr_format);
      return 0;
    }
    case CDROM_GET_MCN: {
      if ((error = toc_ready())) return fail(error);
      memset(arg, 0, sizeof(struct cdrom_mcn));
      return 0;
    }
    case BLKRRPART:
      return fail(EINVAL);
    case SCSI_IOCTL_GET_BUS_NUMBER:
      *(int*)arg = 0;
      return 0;
    case SCSI_IOCTL_GET_IDLUN:
      ((int*)arg)[0] = 0;
      ((int*)arg)[1] = 0;
      return 0;
    case CDROM_SEND_PACKET: {
      struct cdrom_generic_command* cgc = arg;
      int filled;
      s = run_scsi(cgc->cmd, cgc->buffer, (int)cgc->buflen, &filled);
      if (!s.key) return 0;
      cgc->stat = 0x02;
      if (cgc->sense) fixed_sense((unsigned char*)cgc->sense, s);
      return fail(EIO);
    }
    case SG_IO: {
      sg_io_hdr_t* io = arg;
      if (io->interface_id != 'S') return fail(ENOSYS);
      if (io->iovec_count) return fail(EINVAL);
      int filled;
      s = run_scsi(io->cmdp, io->dxferp, (int)io->dxfer_len, &filled);
      io->resid = (int)io->dxfer_len - filled;
      io->status = s.key ? 0x02 : 0;
      io->masked_status = s.key ? CHECK_CONDITION : 0;
      io->host_status = 0;
      io->driver_status = s.key ? 0x08 /* DRIVER_SENSE */ : 0;
      io->info = s.key ? SG_INFO_CHECK : 0;
      io->sb_len_wr = 0;
      if (s.key && io->sbp && io->mx_sb_len > 0) {
        unsigned char fixed[18];
        fixed_sense(fixed, s);
        io->sb_len_wr = io->mx_sb_len < 18 ? io->mx_sb_len : 18;
        memcpy(io->sbp, fixed, io->sb_len_wr);
      }
      io->duration = 0;
      return 0;
    }
    default:
      return fail(ENOTTY);
  }
}

/* ---- the intercepted calls ---- */

/* The node's status, into a struct stat or a struct stat64 (two layouts in a 32-bit
   process). */
#define FAKE_STAT(info)                                                     \
  do {                                                                      \
    memset(info, 0, sizeof *(info));                                        \
    (info)->st_mode = S_IFBLK | 0660;                                       \
    (info)->st_rdev = makedev(11, 0);                                       \
    (info)->st_dev = makedev(0, 5);                                         \
    (info)->st_ino = 0x1ab0c0de;                                            \
    (info)->st_nlink = 1;                                                   \
    (info)->st_blksize = 2048;                                              \
  } while (0)

/* A process's first use of the drive starts its spin-up, whether it opened the node
   itself or was handed a descriptor. */
static void first_use(void) {
  if (drive.readyAt < 0) drive.readyAt = now_ms() + drive.spinupMs;
}

static int open_node(int flags) {
  first_use();
  /* Opened for data (without O_NONBLOCK), the node needs a disc, as cdrom_open does. */
  if (!(flags & O_NONBLOCK) && toc_ready()) return fail(ENOMEDIUM);
  if (drive.fdCount == MAX_FDS) return fail(EMFILE);
  char name[256];
  if (snprintf(name, sizeof name, FD_NAME_FORMAT, drive.device) >= (int)sizeof name) return fail(ENAMETOOLONG);
  int fd = (int)syscall(SYS_memfd_create, name, (flags & O_CLOEXEC) ? MFD_CLOEXEC : 0);
  if (fd >= 0) drive.fds[drive.fdCount++] = fd;
  return fd;
}

#define OPEN_LIKE(name, ...)                                                     \
  int name(__VA_ARGS__, int flags, ...) {                                        \
    mode_t mode = 0;                                                             \
    if (flags & (O_CREAT | __O_TMPFILE)) {                                       \
      va_list args;                                                              \
      va_start(args, flags);                                                     \
      mode = va_arg(args, mode_t);                                               \
      va_end(args);                                                              \
    }

static int open_drive(const char* path, int flags) {
  pthread_mutex_lock(&lock);
  int fd = open_node(flags);
  int error = errno;
  note("open(%s, 0x%x) -> %d by %s", path, flags, fd, drive.process);
  pthread_mutex_unlock(&lock);
  errno = error;
  return fd;
}

OPEN_LIKE(open, const char* path)
  if (names_node(AT_FDCWD, path, !(flags & O_NOFOLLOW))) return open_drive(path, flags);
  static int (*real)(const char*, int, ...);
  if (!real) real = next("open");
  return real(path, flags, mode);
}

OPEN_LIKE(open64, const char* path)
  return open(path, flags, mode);
}

OPEN_LIKE(openat, int dir, const char* path)
  if (names_node(dir, path, !(flags & O_NOFOLLOW))) return open_drive(path, flags);
  static int (*real)(int, const char*, int, ...);
  if (!real) real = next("openat");
  return real(dir, path, flags, mode);
}

OPEN_LIKE(openat64, int dir, const char* path)
  return openat(dir, path, flags, mode);
}

int __open_2(const char* path, int flags) { return open(path, flags); }
int __open64_2(const char* path, int flags) { return open(path, flags); }

int close(int fd) {
  pthread_mutex_lock(&lock);
  for (int i = 0; i < drive.fdCount; ++i) {
    if (drive.fds[i] == fd) {
      drive.fds[i] = drive.fds[--drive.fdCount];
      note("close");
      break;
    }
  }
  pthread_mutex_unlock(&lock);
  static int (*real)(int);
  if (!real) real = next("close");
  return real(fd);
}

static int drive_ioctl(unsigned long request, void* arg) {
  pthread_mutex_lock(&lock);
  first_use();
  int result = cd_ioctl(request, arg);
  int error = errno;
  if (request != CDROM_SEND_PACKET && request != SG_IO)
    note("ioctl 0x%lx -> %d%s%s", request, result, result < 0 ? " " : "",
         result < 0 ? strerror(error) : "");
  pthread_mutex_unlock(&lock);
  errno = error;
  return result;
}

#define IOCTL_LIKE(name)                                                    \
  int name(int fd, unsigned long request, ...) {                            \
    va_list args;                                                           \
    va_start(args, request);                                                \
    void* arg = va_arg(args, void*);                                        \
    va_end(args);                                                           \
    if (is_our_fd(fd)) return drive_ioctl(request, arg);                    \
    static int (*real)(int, unsigned long, ...);                            \
    if (!real) real = next(#name);                                          \
    return real(fd, request, arg);                                          \
  }

IOCTL_LIKE(ioctl)

/* The path forms: stat follows links, lstat does not. */
#define STAT_LIKE(name, type, follow)                                       \
  int name(const char* path, type* info) {                                  \
    if (names_node(AT_FDCWD, path, follow)) {                               \
      FAKE_STAT(info);                                                      \
      return 0;                                                             \
    }                                                                       \
    static int (*real)(const char*, type*);                                 \
    if (!real) real = next(#name);                                          \
    return real(path, info);                                                \
  }

STAT_LIKE(stat, struct stat, true)
STAT_LIKE(stat64, struct stat64, true)
STAT_LIKE(lstat, struct stat, false)
STAT_LIKE(lstat64, struct stat64, false)

/* The descriptor forms look closer only at an in-memory file, which is what a
   descriptor of the drive is. */
#define FSTAT_LIKE(name, type)                                              \
  int name(int fd, type* info) {                                            \
    static int (*real)(int, type*);                                         \
    if (!real) real = next(#name);                                          \
    int result = real(fd, info);                                            \
    if (result == 0 && S_ISREG(info->st_mode) && info->st_nlink == 0 &&     \
        is_our_fd(fd))                                                      \
      FAKE_STAT(info);                                                      \
    return result;                                                          \
  }

FSTAT_LIKE(fstat, struct stat)
FSTAT_LIKE(fstat64, struct stat64)

#define FSTATAT_LIKE(name, type, fstat_name)                                \
  int name(int dir, const char* path, type* info, int flags) {              \
    if ((flags & AT_EMPTY_PATH) && !*path) {                              \
      return fstat_name(dir, info);                                         \
    }                                                                       \
    if (names_node(dir, path, !(flags & AT_SYMLINK_NOFOLLOW))) {            \
      FAKE_STAT(info);                                                      \
      return 0;                                                             \
    }                                                                       \
    static int (*real)(int, const char*, type*, int);                       \
    if (!real) real = next(#name);                                          \
    return real(dir, path, info, flags);                                    \
  }

FSTATAT_LIKE(fstatat, struct stat, fstat)
FSTATAT_LIKE(fstatat64, struct stat64, fstat64)

#ifdef __i386__
/* 32-bit programs built with 64-bit time (Debian's 32-bit Wine among them) call these
   forms, with the status in glibc's layout for them (its struct __stat64_t64). */
struct stat_time64 {
  uint64_t st_dev, st_ino;
  uint32_t st_mode, st_nlink, st_uid, st_gid;
  uint64_t st_rdev;
  int64_t st_size;
  int32_t st_blksize;
  int64_t st_blocks;
  struct { int64_t tv_sec; int32_t tv_nsec, padding; } st_atim, st_mtim, st_ctim;
};
IOCTL_LIKE(__ioctl_time64)
STAT_LIKE(__stat64_time64, struct stat_time64, true)
STAT_LIKE(__lstat64_time64, struct stat_time64, false)
FSTAT_LIKE(__fstat64_time64, struct stat_time64)
FSTATAT_LIKE(__fstatat64_time64, struct stat_time64, __fstat64_time64)
#endif

/* The forms programs built against glibc before 2.33 call (x86-64 has one layout). */
int __xstat(int version, const char* path, struct stat* info) { (void)version; return stat(path, info); }
int __xstat64(int version, const char* path, struct stat64* info) { (void)version; return stat64(path, info); }
int __lxstat(int version, const char* path, struct stat* info) { (void)version; return lstat(path, info); }
int __lxstat64(int version, const char* path, struct stat64* info) { (void)version; return lstat64(path, info); }
int __fxstat(int version, int fd, struct stat* info) { (void)version; return fstat(fd, info); }
int __fxstat64(int version, int fd, struct stat64* info) { (void)version; return fstat64(fd, info); }

int statx(int dir, const char* path, int flags, unsigned mask, struct statx* info) {
  bool node = (flags & AT_EMPTY_PATH) && !*path ? is_our_fd(dir)
                                                         : names_node(dir, path, !(flags & AT_SYMLINK_NOFOLLOW));
  if (node) {
    memset(info, 0, sizeof *info);
    info->stx_mask = STATX_BASIC_STATS;
    info->stx_mode = S_IFBLK | 0660;
    info->stx_rdev_major = 11;
    info->stx_dev_minor = 5;
    info->stx_ino = 0x1ab0c0de;
    info->stx_nlink = 1;
    info->stx_blksize = 2048;
    return 0;
  }
  static int (*real)(int, const char*, int, unsigned, struct statx*);
  if (!real) real = next("statx");
  return real(dir, path, flags, mask, info);
}

int access(const char* path, int mode) {
  if (is_node(path)) return (mode & X_OK) ? fail(EACCES) : 0;
  static int (*real)(const char*, int);
  if (!real) real = next("access");
  return real(path, mode);
}

/* Compares PATH, its folders' links resolved, with DEVICE (as strcmp does). */
static int compare_real_path(const char* path, const char* device) {
  static char* (*real)(const char*, char*);
  if (!real) real = next("realpath");
  char folder[PATH_MAX], resolved[PATH_MAX];
  const char* slash = strrchr(path, '/');
  if (snprintf(folder, sizeof folder, "%.*s", (int)(slash - path), path) >= (int)sizeof folder)
    return 1;
  if (!real(folder[0] ? folder : "/", resolved)) return 1;
  const char* deviceSlash = strrchr(device, '/');
  if (!deviceSlash) return 1;
  size_t length = strlen(resolved);
  if (length == 1) length = 0; /* "/" */
  if (length != (size_t)(deviceSlash - device) || strncmp(resolved, device, length) != 0) return 1;
  return strcmp(slash, deviceSlash);
}

char* realpath(const char* path, char* resolved) {
  if (is_node(path)) {
    if (!resolved) return strdup(drive.device);
    snprintf(resolved, PATH_MAX, "%s", drive.device);
    return resolved;
  }
  static char* (*real)(const char*, char*);
  if (!real) real = next("realpath");
  return real(path, resolved);
}
