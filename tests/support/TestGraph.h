#pragma once

#include "app/main/program/ProgramServices.h"

#include <memory>

class FakeNetworkMonitor;
class FakeUserNotificationCenter;
class MemoryKeychainBackend;
class RecordingFeedback;
class RecordingSounds;
class RecordingUrlOpener;
class StoreFixture;

// The program's object graph for a test: the same ProgramServices the program
// builds, with fakes for what would reach the desktop (feedback, notifications,
// network, keychain, links). Parts the test brings (its store, the stand-in
// service's client, a manual scheduler, its own recorder) are used instead;
// everything else is made here. One per test function, made after the store.
class TestGraph
{
public:
    explicit TestGraph(ProgramServices::Parts parts);
    // On the fixture's store, with its notification centre.
    explicit TestGraph(StoreFixture &fixture, ProgramServices::Parts parts = {});
    ~TestGraph();
    TestGraph(const TestGraph &) = delete;
    TestGraph &operator=(const TestGraph &) = delete;

    const Services &services() const { return m_program->services(); }
    ProgramServices &program() const { return *m_program; }

    // The fakes made here (null where the test brought its own).
    RecordingFeedback *feedback() const { return m_feedback.get(); }
    FakeUserNotificationCenter *notifications() const { return m_notifications.get(); }
    FakeNetworkMonitor *network() const { return m_network.get(); }
    MemoryKeychainBackend *keychain() const { return m_keychain.get(); }
    RecordingUrlOpener *urls() const { return m_urls.get(); }
    RecordingSounds *sounds() const { return m_sounds.get(); }

private:
    std::unique_ptr<RecordingFeedback> m_feedback;
    std::unique_ptr<FakeUserNotificationCenter> m_notifications;
    std::unique_ptr<FakeNetworkMonitor> m_network;
    std::unique_ptr<MemoryKeychainBackend> m_keychain;
    std::unique_ptr<RecordingUrlOpener> m_urls;
    std::unique_ptr<RecordingSounds> m_sounds;
    std::unique_ptr<ProgramServices> m_program;
};
