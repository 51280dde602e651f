#pragma once

#include "app/main/program/ProgramServices.h"
#include "platform/base/AppEvents.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestGraph.h"

#include <QDateTime>

#include <memory>

class Classify;

// What the presenter tests of the note views start from: a store at a fixed
// "now" with the categories "工作" (k1) and "生活" (k2), unsaved; the
// application events and the feedback, both the test's own; once the test has
// saved its rows, the program's services over all of it; and, from when the
// test asks, a record of the events. open() in init(); close() in cleanup(),
// after whatever the test built on the services has gone.
class NoteViewsRig
{
public:
    [[nodiscard]] bool open(const QDateTime &now);
    // The services, with the rig's events and feedback and the test's own `parts`.
    const Services &start(ProgramServices::Parts parts = {});
    // The events posted from now on.
    QStringList &record();
    void close();

    StoreFixture fx;
    std::unique_ptr<AppEvents> events;
    std::unique_ptr<RecordingFeedback> feedback;
    std::unique_ptr<TestGraph> graph;
    std::unique_ptr<EventRecorder> recorder;
    Classify *work = nullptr;
    Classify *home = nullptr;
};
