/* Starts the wall clock of a 32-bit wine process at a given moment, for the end-to-end tests
 * of the 32-bit program. Loaded with LD_PRELOAD into wine's 32-bit loader; the moment comes
 * from FAKETIME="@YYYY-MM-DD HH:MM:SS" (local time), as for libfaketime, which serves the
 * 64-bit program. Wine's 32-bit half reads the time through the 64-bit-time entry points of
 * glibc (__clock_gettime64 and friends), which that library does not replace; this one
 * replaces both kinds. Only the wall clock moves: the monotonic clocks, and so every wait and
 * timer, stay real. From the start the clock runs at its normal speed.
 *
 * Built by scripts/wine-env.sh on first use: gcc -m32 -shared -fPIC -O2 clock_shift.c -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>

struct timespec64 {
  int64_t tv_sec;
  int64_t tv_nsec;
};

typedef int (*clock_gettime64_fn)(clockid_t, struct timespec64*);
typedef int (*clock_gettime32_fn)(clockid_t, struct timespec*);

static int64_t g_shift;  /* nanoseconds added to the real wall clock */
static clock_gettime64_fn g_real64;
static clock_gettime32_fn g_real32;

static int is_wall_clock(clockid_t clock) {
  return clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE;
}

static int real_now(clockid_t clock, struct timespec64* ts) {
  if (g_real64) return g_real64(clock, ts);
  struct timespec t32;
  const int rc = g_real32(clock, &t32);
  ts->tv_sec = t32.tv_sec;
  ts->tv_nsec = t32.tv_nsec;
  return rc;
}

__attribute__((constructor)) static void clock_shift_init(void) {
  g_real64 = (clock_gettime64_fn)dlsym(RTLD_NEXT, "__clock_gettime64");
  g_real32 = (clock_gettime32_fn)dlsym(RTLD_NEXT, "clock_gettime");
  const char* at = getenv("FAKETIME");
  if (!at || at[0] != '@') return;
  struct tm tm;
  memset(&tm, 0, sizeof tm);
  if (!strptime(at + 1, "%Y-%m-%d %H:%M:%S", &tm)) return;
  tm.tm_isdst = -1;
  const time_t target = mktime(&tm);
  if (target == (time_t)-1) return;
  /* The moment is when the clock was set (TAVIK_CLOCK_ANCHOR, the real time in nanoseconds
   * since the epoch, shared by every process of one start, also one wine starts through its
   * launcher), or else when this process starts; to the nanosecond, so that a minute begins
   * exactly as long after the start as asked. */
  int64_t anchor = 0;
  const char* given = getenv("TAVIK_CLOCK_ANCHOR");
  if (given && *given) {
    anchor = strtoll(given, NULL, 10);
  } else {
    struct timespec64 now;
    if (real_now(CLOCK_REALTIME, &now) != 0) return;
    anchor = now.tv_sec * 1000000000LL + now.tv_nsec;
  }
  g_shift = (int64_t)target * 1000000000LL - anchor;
}

int __clock_gettime64(clockid_t clock, struct timespec64* ts) {
  const int rc = real_now(clock, ts);
  if (rc == 0 && is_wall_clock(clock)) {
    const int64_t ns = ts->tv_sec * 1000000000LL + ts->tv_nsec + g_shift;
    ts->tv_sec = ns / 1000000000LL;
    ts->tv_nsec = ns % 1000000000LL;
  }
  return rc;
}

int clock_gettime(clockid_t clock, struct timespec* ts) {
  struct timespec64 t;
  const int rc = __clock_gettime64(clock, &t);
  if (rc == 0) {
    ts->tv_sec = (time_t)t.tv_sec;
    ts->tv_nsec = (long)t.tv_nsec;
  }
  return rc;
}

struct timeval64 {
  int64_t tv_sec;
  int64_t tv_usec;
};

int __gettimeofday64(struct timeval64* tv, void* tz) {
  (void)tz;
  struct timespec64 t;
  const int rc = __clock_gettime64(CLOCK_REALTIME, &t);
  if (rc == 0 && tv != NULL) {
    tv->tv_sec = t.tv_sec;
    tv->tv_usec = t.tv_nsec / 1000;
  }
  return rc;
}

int gettimeofday(struct timeval* tv, void* tz) {
  (void)tz;
  struct timespec64 t;
  const int rc = __clock_gettime64(CLOCK_REALTIME, &t);
  if (rc == 0) {
    tv->tv_sec = (time_t)t.tv_sec;
    tv->tv_usec = (suseconds_t)(t.tv_nsec / 1000);
  }
  return rc;
}

int64_t __time64(int64_t* out) {
  struct timespec64 t;
  if (__clock_gettime64(CLOCK_REALTIME, &t) != 0) return -1;
  if (out) *out = t.tv_sec;
  return t.tv_sec;
}

time_t time(time_t* out) {
  const time_t now = (time_t)__time64(NULL);
  if (out) *out = now;
  return now;
}
