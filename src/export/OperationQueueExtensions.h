#pragma once

#include "platform/Operation.h"

#include <functional>
#include <memory>

// Waiting variants of adding work to a queue.
namespace fw {

// Adds `operation` to `queue` and blocks until it has finished.
void addOperationAndWaitUntilFinished(platform::OperationQueue* queue, std::shared_ptr<platform::Operation> operation);

// Runs `block` on `queue` and blocks until it has run. On the main thread
// with the main queue the block runs at once, so the caller never waits on itself.
void addOperationWithBlockAndWaitUntilFinished(platform::OperationQueue* queue, std::function<void()> block);

} // namespace fw
