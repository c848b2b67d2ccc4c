#include "export/OperationQueueExtensions.h"

namespace fw {

void addOperationAndWaitUntilFinished(platform::OperationQueue* queue, std::shared_ptr<platform::Operation> operation)
{
    queue->addOperation(operation);
    operation->waitUntilFinished();
}

void addOperationWithBlockAndWaitUntilFinished(platform::OperationQueue* queue, std::function<void()> block)
{
    if (queue->isMainQueue() && platform::isMainThread()) {
        block();
        return;
    }
    addOperationAndWaitUntilFinished(queue, platform::BlockOperation::operationWithBlock(std::move(block)));
}

} // namespace fw
