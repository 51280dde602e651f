#pragma once

#include "platform/store/ChangeSet.h"

class Context;

// Hands the change set of a save on: the main context announces its own, a
// background context's goes to the main context (at once on the main thread, else
// queued there), which takes it over. Taking over: updated rows keep their objects
// and take the saved values (unsaved edits of the same attributes stay pending),
// deleted rows become isDeleted() until the event ends, and rows this context saved
// again after the background save are read again instead of overwritten.
class ContextMerger
{
public:
    explicit ContextMerger(Context &context) : m_context(context) {}

    // The context has saved these changes.
    void deliver(const ChangeSet &changes);
    // The main context takes over a background save's changes and announces them.
    void merge(const ChangeSet &changes);

private:
    Context &m_context;
};
