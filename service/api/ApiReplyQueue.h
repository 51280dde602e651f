#pragma once

#include "service/api/BaseSuccessModel.h"

#include <QObject>
#include <QThreadPool>

#include <deque>
#include <functional>
#include <memory>

// Hands the service's replies on in the order they arrived, although the
// large ones are decoded (Base64, decryption, JSON) on a worker thread so the
// main thread keeps running: one still decoding holds back those behind it.
// Main thread only; nothing queued runs after this object is destroyed.
class ApiReplyQueue : public QObject
{
    Q_OBJECT
public:
    using Decode = std::function<BaseSuccessModel()>;
    using Deliver = std::function<void(const BaseSuccessModel &model)>;

    explicit ApiReplyQueue(QObject *parent = nullptr);
    // Waits for a decode still running.
    ~ApiReplyQueue() override;

    // Runs `run` now when nothing waits before it, else after those before it.
    void deliver(std::function<void()> run);
    // Runs `decode` on the worker, then `deliver` with its result in turn.
    void decodeOnWorker(Decode decode, Deliver deliver);

private:
    struct Slot;
    std::shared_ptr<Slot> reserve();
    void settle(const std::shared_ptr<Slot> &slot, std::function<void()> run);

    std::deque<std::shared_ptr<Slot>> m_slots;
    // Last member: destroyed first, it waits for a running decode while this object still exists.
    QThreadPool m_decoder;
};
