#include "threadpriority.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace naxo {

void yieldToInterface()
{
#ifdef Q_OS_LINUX
    // Per-thread on Linux; raising one's own nice value needs no privilege.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    setpriority(PRIO_PROCESS, tid, 15);
#endif
}

} // namespace naxo
