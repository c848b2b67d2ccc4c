#include "platform/Memory.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace platform {

void useOneHeapForAllThreads()
{
#if defined(M_ARENA_MAX)
    mallopt(M_ARENA_MAX, 1);
#endif
}

} // namespace platform
