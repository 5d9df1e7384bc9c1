// Peak resident memory of this process, for the benchmarks' reports.
#pragma once

#if defined(__unix__)
#include <sys/resource.h>
#endif

namespace bench {

// Kilobytes, or -1 where the platform does not tell.
inline long peakRssKb() {
#if defined(__unix__)
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
#else
  return -1;
#endif
}

}  // namespace bench
