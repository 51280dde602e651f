#include "tests/support/TestGraph.h"

#include "platform/keychain/MemoryKeychainBackend.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/RecordingUrlOpener.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"
#include "tests/support/doubles/RecordingSounds.h"

#include <QtTest>

namespace {
template <class Fake, class T> void fakeUnless(T *&part, std::unique_ptr<Fake> &own)
{
    if (part)
        return;
    own = std::make_unique<Fake>();
    part = own.get();
}
} // namespace

TestGraph::TestGraph(ProgramServices::Parts parts)
{
    fakeUnless(parts.feedback, m_feedback);
    fakeUnless(parts.notifications, m_notifications);
    fakeUnless(parts.network, m_network);
    fakeUnless(parts.keychain, m_keychain);
    fakeUnless(parts.urls, m_urls);
    fakeUnless(parts.sounds, m_sounds);
    m_program = std::make_unique<ProgramServices>(parts);
    if (!m_program->hasServices())
        qFatal("test graph: no store");
}

namespace {
ProgramServices::Parts onFixture(StoreFixture &fixture, ProgramServices::Parts parts)
{
    if (!parts.store)
        parts.store = fixture.store();
    if (!parts.notifications)
        parts.notifications = fixture.center();
    return parts;
}
} // namespace

TestGraph::TestGraph(StoreFixture &fixture, ProgramServices::Parts parts)
    : TestGraph(onFixture(fixture, parts))
{
}

TestGraph::~TestGraph()
{
    m_program.reset();
}
