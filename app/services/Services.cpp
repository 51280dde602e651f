#include "app/services/Services.h"

#include "app/services/DesktopUrlOpener.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/Scheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UserFeedback.h"
#include "platform/sound/player/PluginSoundPlayer.h"
#include "platform/store/Context.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/SyncEngine.h"

Services Services::program()
{
    static DesktopUrlOpener desktopUrls;
    static PluginSoundPlayer sounds;
    Services s;
    s.store = Context::defaultContext();
    s.api = ApiNetWorking::instance();
    s.sync = SyncEngine::instance();
    s.feedback = UserFeedback::current();
    s.scheduler = Scheduler::current();
    s.events = AppEvents::instance();
    s.session = Session::instance();
    s.clock = Clock::instance();
    s.urls = &desktopUrls;
    s.sounds = &sounds;
    return s;
}

bool Services::isComplete() const
{
    return store && api && sync && feedback && scheduler && events && session && clock && urls && sounds;
}
