#include "export/OperationQueueExtensions.h"

#include "platform/MainThreadHandoff.h"

namespace fw {

void addOperationAndWaitUntilFinished(platform::OperationQueue* queue, std::shared_ptr<platform::Operation> operation)
{
    queue->addOperation(operation);
    operation->waitUntilFinished();
}

void addOperationWithBlockAndWaitUntilFinished(platform::OperationQueue* queue, std::function<void()> block)
{
    // The main queue is the one waited on per progress change; it skips the
    // operation object and wakes the caller directly.
    if (queue->isMainQueue()) {
        platform::runOnMainThreadAndWait(block);
        return;
    }
    addOperationAndWaitUntilFinished(queue, platform::BlockOperation::operationWithBlock(std::move(block)));
}

} // namespace fw
