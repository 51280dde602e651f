// The program's sound player: Qt Multimedia is not in the process until a
// sound first plays, and a player without its plugin says so.

#include "platform/sound/player/PluginSoundPlayer.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QTest>

namespace {

bool multimediaLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
}

} // namespace

class TstSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    void multimediaComesWithTheFirstSound()
    {
        PluginSoundPlayer player;
        QVERIFY(!multimediaLoaded());
        // No file: nothing is loaded for it.
        QCOMPARE(player.play(QStringLiteral("/no/such/sound.wav")), SoundPlayer::Result::Unavailable);
        QVERIFY(!player.isLoaded());
        QVERIFY(!multimediaLoaded());

        const QString file = QFINDTESTDATA("../../../resources/sounds/标准铃声1.wav");
        QVERIFY(!file.isEmpty());
        const SoundPlayer::Result result = player.play(file);
        QVERIFY2(player.isLoaded(), qPrintable(player.loadError()));
        QVERIFY(multimediaLoaded());
        // Headless machines have no audio output; a desktop plays.
        QVERIFY(result == SoundPlayer::Result::Playing || result == SoundPlayer::Result::NoAudioOutput);
    }

    void withoutThePluginNothingPlays()
    {
        const QString file = QFINDTESTDATA("../../../resources/sounds/标准铃声1.wav");
        PluginSoundPlayer player(QStringList{TestEnv::rootFolder() + QStringLiteral("/empty")});
        QCOMPARE(player.play(file), SoundPlayer::Result::Unavailable);
        QCOMPARE(player.play(file), SoundPlayer::Result::Unavailable);
        QVERIFY(!player.isLoaded());
        QVERIFY(!player.loadError().isEmpty());
    }
};

PRELVANE_TEST_CORE_MAIN(TstSoundPlayer)
#include "tst_soundplayer.moc"
