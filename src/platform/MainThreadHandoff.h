#pragma once

#include <memory>
#include <type_traits>

namespace platform {

namespace detail {
void runOnMainThreadAndWait(void (*run)(void*), void* context);
}

// Runs `block` on the main thread and returns once it has run. The caller
// sleeps until the main thread signals it right after the block, so a
// hand-off costs two thread wake-ups and no processor time while waiting. On the main thread, or with no application object whose
// event loop could run it, the block runs at once on the calling thread.
// Blocks queued this way and through the main operation queue run in the
// order they were queued.
template <class Block>
void runOnMainThreadAndWait(Block&& block)
{
    using Type = std::remove_reference_t<Block>;
    detail::runOnMainThreadAndWait([](void* context) { (*static_cast<Type*>(context))(); },
                                   const_cast<void*>(static_cast<const void*>(std::addressof(block))));
}

} // namespace platform
