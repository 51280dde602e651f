#include "service/api/ApiReplyQueue.h"

#include <QPointer>

struct ApiReplyQueue::Slot
{
    std::function<void()> run;
    bool ready = false;
};

ApiReplyQueue::ApiReplyQueue(QObject *parent) : QObject(parent)
{
    // One decode at a time is plenty: they are the rare large replies.
    m_decoder.setMaxThreadCount(1);
}

ApiReplyQueue::~ApiReplyQueue()
{
    // A decode still running posts its result to this object; let it end first.
    m_decoder.waitForDone();
}

std::shared_ptr<ApiReplyQueue::Slot> ApiReplyQueue::reserve()
{
    auto slot = std::make_shared<Slot>();
    m_slots.push_back(slot);
    return slot;
}

void ApiReplyQueue::settle(const std::shared_ptr<Slot> &slot, std::function<void()> run)
{
    slot->run = std::move(run);
    slot->ready = true;
    // A callback may end the client and this queue with it; nothing is touched after that.
    QPointer<ApiReplyQueue> self(this);
    while (self && !m_slots.empty() && m_slots.front()->ready) {
        const std::shared_ptr<Slot> next = m_slots.front();
        m_slots.pop_front();
        next->run();
    }
}

void ApiReplyQueue::deliver(std::function<void()> run)
{
    if (m_slots.empty()) {
        run();
        return;
    }
    settle(reserve(), std::move(run));
}

void ApiReplyQueue::decodeOnWorker(Decode decode, Deliver deliver)
{
    const std::shared_ptr<Slot> slot = reserve();
    m_decoder.start([this, slot, decode = std::move(decode), deliver = std::move(deliver)] {
        BaseSuccessModel model = decode();
        QMetaObject::invokeMethod(
            this,
            [this, slot, deliver, model = std::move(model)] {
                settle(slot, [deliver, model] { deliver(model); });
            },
            Qt::QueuedConnection);
    });
}
