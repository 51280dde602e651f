#include "tests/support/NoteViewsRig.h"

bool NoteViewsRig::open(const QDateTime &now)
{
    if (!fx.open(now))
        return false;
    events = std::make_unique<AppEvents>();
    feedback = std::make_unique<RecordingFeedback>();
    work = fx.category(QStringLiteral("k1"), QStringLiteral("工作"));
    home = fx.category(QStringLiteral("k2"), QStringLiteral("生活"));
    return true;
}

const Services &NoteViewsRig::start(ProgramServices::Parts parts)
{
    graph = std::make_unique<TestGraph>(fx, parts.use(events.get()).use(feedback.get()));
    return graph->services();
}

QStringList &NoteViewsRig::record()
{
    recorder = std::make_unique<EventRecorder>(events.get());
    return recorder->events;
}

void NoteViewsRig::close()
{
    recorder.reset();
    graph.reset();
    feedback.reset();
    events.reset();
    work = home = nullptr;
    fx.close();
}
