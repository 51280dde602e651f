#include "core/reminders/dates/CalendarManager.h"
#include "core/reminders/dates/LunarSolarTransform.h"
#include "platform/calendar/Calendar.h"
#include "tests/support/TestEnv.h"

#include <QFile>

#include <climits>
#include <limits>

Q_DECLARE_METATYPE(Solar)
Q_DECLARE_METATYPE(Lunar)

class TestLunarSolarTransform : public QObject
{
    Q_OBJECT

private slots:
    // Every day of 1900..2100 from the data file's new-year dates and month lengths (not its packed columns)
    // against our Chinese calendar and the table-driven conversion, both ways.
    void agreesWithTableEveryDay()
    {
        QFile file(QStringLiteral(PRELVANE_LUNAR_TSV));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        file.readLine();
        int index = 0;
        qint64 checked = 0;
        while (!file.atEnd()) {
            const QStringList f = QString::fromUtf8(file.readLine()).trimmed().split(u'\t');
            QCOMPARE(f.size(), 6);
            ++index;
            const int year = f[0].toInt();
            const int leap = f[2].toInt();
            QCOMPARE(LunarSolarTransform::newYearEntry(index), f[4].toInt());
            QCOMPARE(LunarSolarTransform::monthEntry(index), f[5].toInt());
            QDate d = QDate::fromString(f[1], Qt::ISODate);
            const QStringList lengths = f[3].split(u',');
            for (int p = 0; p < lengths.size(); ++p) {
                const int month = (leap && p >= leap) ? p : p + 1;
                const bool isLeap = leap && p == leap;
                for (int day = 1; day <= lengths[p].toInt(); ++day, d = d.addDays(1)) {
                    if (d.year() < 1900 || d.year() > 2100)
                        continue;
                    const CalendarDate expected{year, month, isLeap, day};
                    const CalendarDate ours =
                        Calendar::dateOfDay(CalendarIdentifier::Chinese, d.toJulianDay());
                    const std::optional<Lunar> lunar =
                        LunarSolarTransform::solarToLunar(Solar(d.year(), d.month(), d.day()));
                    const std::optional<Solar> back =
                        LunarSolarTransform::lunarToSolar(Lunar(year, month, day, isLeap));
                    if (!(ours == expected) || !lunar || !(*lunar == Lunar(year, month, day, isLeap)) ||
                        !back || !(*back == Solar(d.year(), d.month(), d.day())) ||
                        Calendar::dayOfDateLenient(CalendarIdentifier::Chinese, year, month, isLeap, day) !=
                            d.toJulianDay())
                        QFAIL(qPrintable(QStringLiteral("disagreement on %1 (lunar %2-%3%4-%5)")
                                             .arg(d.toString(Qt::ISODate))
                                             .arg(year)
                                             .arg(isLeap ? "leap " : "")
                                             .arg(month)
                                             .arg(day)));
                    ++checked;
                }
            }
        }
        QCOMPARE(index, 224);
        QCOMPARE(checked, QDate(1900, 1, 1).daysTo(QDate(2101, 1, 1)));
    }

    void tables()
    {
        QCOMPARE(LunarSolarTransform::newYearEntry(0), 1887);
        QCOMPARE(LunarSolarTransform::newYearEntry(1), 966732);
        QCOMPARE(LunarSolarTransform::newYearEntry(224), 1080904);
        QCOMPARE(LunarSolarTransform::monthEntry(1), 5780);
        QCOMPARE(LunarSolarTransform::monthEntry(3), 19157);
        QCOMPARE(LunarSolarTransform::newYearEntry(225), 0);
        QCOMPARE(LunarSolarTransform::newYearEntry(-1), 0);
    }

    void solarToLunar_data()
    {
        QTest::addColumn<Solar>("solar");
        QTest::addColumn<bool>("covered");
        QTest::addColumn<Lunar>("lunar");
        QTest::newRow("first covered day") << Solar(1888, 2, 12) << true << Lunar(1888, 1, 1);
        QTest::newRow("day before coverage") << Solar(1888, 2, 11) << false << Lunar();
        QTest::newRow("early 1888") << Solar(1888, 1, 1) << false << Lunar();
        QTest::newRow("long before") << Solar(1700, 5, 5) << false << Lunar();
        QTest::newRow("last covered day") << Solar(2112, 1, 28) << true << Lunar(2111, 12, 29);
        QTest::newRow("after coverage") << Solar(2112, 1, 29) << false << Lunar();
        QTest::newRow("far after") << Solar(2300, 1, 1) << false << Lunar();
        QTest::newRow("impossible date") << Solar(2024, 2, 30) << false << Lunar();
        QTest::newRow("leap 6 first day") << Solar(2025, 7, 25) << true << Lunar(2025, 6, 1, true);
        QTest::newRow("last of month 6 before leap") << Solar(2025, 7, 24) << true << Lunar(2025, 6, 30);
        QTest::newRow("month 7 after leap 6") << Solar(2025, 8, 23) << true << Lunar(2025, 7, 1);
        QTest::newRow("leap 2 1890") << Solar(1890, 3, 21) << true << Lunar(1890, 2, 1, true);
        QTest::newRow("month 12 last day") << Solar(2026, 2, 16) << true << Lunar(2025, 12, 29);
        QTest::newRow("next new year") << Solar(2026, 2, 17) << true << Lunar(2026, 1, 1);
        QTest::newRow("leap 11 2033") << Solar(2033, 12, 22) << true << Lunar(2033, 11, 1, true);
    }

    void solarToLunar()
    {
        QFETCH(Solar, solar);
        QFETCH(bool, covered);
        QFETCH(Lunar, lunar);
        const std::optional<Lunar> got = LunarSolarTransform::solarToLunar(solar);
        QCOMPARE(got.has_value(), covered);
        if (covered)
            QCOMPARE(*got, lunar);
    }

    // Values no calendar holds give no date and never a bogus one.
    void hostileValues()
    {
        for (const Solar &s : {Solar(INT_MIN, 1, 1), Solar(INT_MIN + 1000, 3, 1), Solar(INT_MAX, 12, 31),
                               Solar(0, 1, 1), Solar(-1, 6, 1), Solar(2024, 0, 1), Solar(2024, 1, INT_MAX),
                               Solar(2024, INT_MIN, 1), Solar(1887, 12, 31), Solar(9999, 12, 31)}) {
            QVERIFY2(
                !LunarSolarTransform::solarToLunar(s),
                qPrintable(QStringLiteral("%1-%2-%3").arg(s.solarYear).arg(s.solarMonth).arg(s.solarDay)));
            LunarSolarTransform::constellationFromSolar(s);
        }
        for (const Lunar &l : {Lunar(INT_MIN, 1, 1), Lunar(INT_MAX, 1, 1), Lunar(2025, INT_MIN, 1),
                               Lunar(2025, 1, INT_MAX), Lunar(2025, 1, INT_MIN), Lunar(2025, 0, 1, true)})
            QVERIFY(!LunarSolarTransform::lunarToSolar(l));
        QCOMPARE(LunarSolarTransform::formatWithLunar(Lunar(2025, 13, 31)), QStringLiteral("2025--"));
        // Day numbers far outside any calendar give no date; the formula holds over the whole QDate range.
        QCOMPARE(LunarSolarTransform::SolarFromInt(std::numeric_limits<qint64>::max()), Solar());
        QCOMPARE(LunarSolarTransform::SolarFromInt(std::numeric_limits<qint64>::min()), Solar());
        const qint64 far = LunarSolarTransform::solarToInt(200000, 2, 29);
        QCOMPARE(LunarSolarTransform::SolarFromInt(far), Solar(200000, 2, 29));
        QCOMPARE(LunarSolarTransform::solarToInt(INT_MAX, INT_MAX, INT_MAX),
                 LunarSolarTransform::solarToInt(INT_MAX, INT_MAX, INT_MAX)); // no overflow trap
    }

    void lunarToSolarRejectsImpossibleDates()
    {
        QCOMPARE(LunarSolarTransform::lunarToSolar(Lunar(2025, 6, 29, true)),
                 std::optional(Solar(2025, 8, 22)));
        QVERIFY(!LunarSolarTransform::lunarToSolar(Lunar(2025, 6, 30, true))); // leap 6 has 29 days
        QVERIFY(!LunarSolarTransform::lunarToSolar(Lunar(2025, 5, 1, true)));  // 2025 has no leap 5
        QVERIFY(!LunarSolarTransform::lunarToSolar(Lunar(2025, 13, 1)));
        QVERIFY(!LunarSolarTransform::lunarToSolar(Lunar(2025, 1, 0)));
        QVERIFY(!LunarSolarTransform::lunarToSolar(Lunar(1887, 12, 1)));
        QVERIFY(!LunarSolarTransform::lunarToSolar(Lunar(2112, 1, 1)));
        QCOMPARE(LunarSolarTransform::lunarToSolar(Lunar(2111, 12, 29)), std::optional(Solar(2112, 1, 28)));
    }

    void dayNumbers()
    {
        for (const QDate d :
             {QDate(1888, 2, 12), QDate(2000, 2, 29), QDate(2000, 3, 1), QDate(2111, 12, 31)}) {
            const qint64 n = LunarSolarTransform::solarToInt(d.year(), d.month(), d.day());
            QCOMPARE(LunarSolarTransform::SolarFromInt(n), Solar(d.year(), d.month(), d.day()));
            QCOMPARE(LunarSolarTransform::solarToInt(d.year(), d.month(), d.day()) + 1,
                     LunarSolarTransform::solarToInt(d.addDays(1).year(), d.addDays(1).month(),
                                                     d.addDays(1).day()));
        }
    }

    void formatAndFacade()
    {
        QCOMPARE(LunarSolarTransform::formatWithLunar(Lunar(2025, 6, 21, true)),
                 QStringLiteral("2025-六月-廿一"));
        QCOMPARE(LunarSolarTransform::formatWithLunar(Lunar(2024, 12, 20)), QStringLiteral("2024-腊月-二十"));
        QStringList parts;
        CalendarManager::resultWithLunar(Lunar(2024, 11, 30),
                                         [&](const QString &y, const QString &m, const QString &d) {
                                             parts = {y, m, d};
                                         });
        QCOMPARE(parts, (QStringList{"2024", "冬月", "三十"}));
        QCOMPARE(CalendarManager::obtainLunarFromSolar(Solar(2027, 2, 6)), std::optional(Lunar(2027, 1, 1)));
        QCOMPARE(CalendarManager::obtainSolarFromLunar(Lunar(2030, 1, 1)), std::optional(Solar(2030, 2, 3)));
    }

    void constellation_data()
    {
        QTest::addColumn<Solar>("solar");
        QTest::addColumn<QString>("sign");
        QTest::newRow("jan 19") << Solar(2024, 1, 19) << "摩羯座";
        QTest::newRow("jan 20") << Solar(2024, 1, 20) << "水瓶座";
        QTest::newRow("mar 21") << Solar(2024, 3, 21) << "白羊座";
        QTest::newRow("dec 21") << Solar(2024, 12, 21) << "射手座";
        QTest::newRow("dec 22") << Solar(2024, 12, 22) << "摩羯座";
        QTest::newRow("impossible") << Solar(2024, 13, 1) << "";
    }

    void constellation()
    {
        QFETCH(Solar, solar);
        QFETCH(QString, sign);
        QCOMPARE(CalendarManager::obtainConstellationFromSolar(solar), sign);
    }
};

PRELVANE_TEST_CORE_MAIN(TestLunarSolarTransform)
#include "tst_lunarsolartransform.moc"
