#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "features/watch/core/AlarmBook.h"
#include "features/watch/core/RackSettings.h"

namespace velmar {
namespace {

class AlarmBookTest : public ::testing::Test {
  protected:
    AlarmBookTest() {
        heard_.push_back(rack.Subscribe<AlarmRaised>([this](const AlarmRaised& e) {
            said.push_back("raised " + e.alarm.frame + " " + e.alarm.text);
        }));
        heard_.push_back(rack.Subscribe<AlarmCleared>([this](const AlarmCleared& e) {
            said.push_back("cleared " + e.alarm.frame + " " + e.alarm.text);
        }));
        heard_.push_back(rack.Subscribe<AlarmAcknowledged>([this](const AlarmAcknowledged& e) {
            said.push_back("acknowledged " + e.alarm.frame + " " + e.alarm.text);
        }));
    }
    void Change(const std::string& frame, const std::string& what, const std::string& from,
                const std::string& to) {
        rack.Publish(HealthChanged{frame, what, from, to, {}});
    }
    std::vector<std::string> Take() { return std::exchange(said, {}); }
    std::vector<std::string> OpenTexts(const std::string& frame) const {
        std::vector<std::string> texts;
        for (const Alarm& alarm : book.Open(frame))
            texts.push_back(alarm.text);
        return texts;
    }

    EventHub rack;
    AlarmBook book{rack};
    std::vector<std::string> said;

  private:
    Subscriptions heard_;
};

TEST_F(AlarmBookTest, AConditionIsRaisedOnceStaysUntilAcknowledgedAndItsClearingIsSaid) {
    Change("127.0.0.2", "psu2", "", "ok");
    Change("127.0.0.2", "psu2", "ok", "fault");
    Change("127.0.0.3", "fan1", "ok", "fault");
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"raised 127.0.0.2 PSU 2 fault", "raised 127.0.0.3 Fan 1 fault"}));

    // Cleared but not seen: still open.
    Change("127.0.0.2", "psu2", "fault", "ok");
    EXPECT_EQ(Take(), std::vector<std::string>{"cleared 127.0.0.2 PSU 2 fault"});
    EXPECT_EQ(OpenTexts("127.0.0.2"), std::vector<std::string>{"PSU 2 fault"});
    book.AcknowledgeFrame("127.0.0.2");
    EXPECT_EQ(Take(), std::vector<std::string>{"acknowledged 127.0.0.2 PSU 2 fault"});
    EXPECT_EQ(book.OpenCount("127.0.0.2"), 0u);

    // Seen while still present: closed, and not raised again until it has cleared.
    book.AcknowledgeFrame("127.0.0.3");
    Take();
    Change("127.0.0.3", "fan1", "fault", "fault");
    EXPECT_EQ(book.OpenCount("127.0.0.3"), 0u);
    Change("127.0.0.3", "fan1", "fault", "ok");
    Change("127.0.0.3", "fan1", "ok", "fault");
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"cleared 127.0.0.3 Fan 1 fault", "raised 127.0.0.3 Fan 1 fault"}));
}

TEST_F(AlarmBookTest, EachRuleRaisesWhatItShouldAndADisabledKindNothing) {
    Change("127.0.0.2", "link", "", "unreachable");  // never up: not a lost link
    Change("127.0.0.2", "link", "unreachable", "up");
    Change("127.0.0.2", "sample-rate", "", "48 kHz");
    Change("127.0.0.2", "sync-source", "", "Internal");
    EXPECT_EQ(Take(), std::vector<std::string>{});
    Change("127.0.0.2", "link", "up", "lost");
    Change("127.0.0.2", "sync", "locked", "unlocked");
    Change("127.0.0.2", "sync-source", "Internal", "AES 1");
    Change("127.0.0.2", "sample-rate", "48 kHz", "96 kHz");
    Change("127.0.0.2", "detectors", "", "1 tripped");
    Change("127.0.0.2", "detectors", "1 tripped", "2 tripped");
    EXPECT_EQ(
        OpenTexts("127.0.0.2"),
        (std::vector<std::string>{"Link lost", "Sync lost", "Sync source Internal -> AES 1",
                                  "Sample rate 48 kHz -> 96 kHz", "Level detector tripped (2 tripped)"}));
    Take();
    Change("127.0.0.2", "link", "lost", "up");
    Change("127.0.0.2", "detectors", "2 tripped", "none");
    EXPECT_EQ(Take(), (std::vector<std::string>{"cleared 127.0.0.2 Link lost",
                                                "cleared 127.0.0.2 Level detector tripped (2 tripped)"}));

    book.Enable(AlarmKind::Power, false);
    Change("127.0.0.4", "psu1", "ok", "fault");
    EXPECT_EQ(Take(), std::vector<std::string>{});
    book.Forget("127.0.0.2");
    EXPECT_EQ(book.OpenCount("127.0.0.2"), 0u);
}

TEST_F(AlarmBookTest, AnItemThatKeepsMovingWhileNobodyLooksIsOneOpenAlarmCountingItsTimes) {
    Change("127.0.0.2", "sample-rate", "", "48 kHz");
    Change("127.0.0.2", "psu1", "", "ok");
    for (int i = 0; i < 50; ++i) {
        Change("127.0.0.2", "sample-rate", "48 kHz", "96 kHz");
        Change("127.0.0.2", "sample-rate", "96 kHz", "48 kHz");
        Change("127.0.0.2", "psu1", "ok", "fault");
        Change("127.0.0.2", "psu1", "fault", "ok");
    }
    const std::vector<Alarm> open = book.Open("127.0.0.2");
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].text, "Sample rate 96 kHz -> 48 kHz");
    EXPECT_EQ(open[0].times, 100u);
    EXPECT_EQ(open[1].times, 50u);
    EXPECT_FALSE(open[1].active);
    // Every time is still said, and a condition raised again while it is open is active again.
    EXPECT_EQ(Take().size(), 200u);
    Change("127.0.0.2", "psu1", "ok", "fault");
    EXPECT_TRUE(book.Open("127.0.0.2")[1].active);
    book.AcknowledgeFrame("127.0.0.2");
    Change("127.0.0.2", "sample-rate", "48 kHz", "96 kHz");
    EXPECT_EQ(book.Open("127.0.0.2").at(0).times, 1u);
}

// A profile in memory that refuses writes on demand.
class MapProfile final : public ProfileStore {
  public:
    std::optional<std::string> Read(std::string_view section, std::string_view key) const override {
        const auto found = values.find(std::string(section) + "/" + std::string(key));
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        if (!writable)
            return false;
        values[std::string(section) + "/" + std::string(key)] = value;
        return true;
    }
    std::map<std::string, std::string> values;
    bool writable = true;
};

TEST(RackSettingsTest, ComeBackAsSavedAndWhatIsUnreadableKeepsItsDefault) {
    MapProfile profile;
    RackSettings settings;
    settings.watchAll = false;
    settings.ticked = {"127.0.0.2", "127.0.0.10"};
    settings.alarms[static_cast<std::size_t>(AlarmKind::SampleRate)] = false;
    settings.keepDays = 7;
    ASSERT_TRUE(settings.Save(profile));
    const RackSettings loaded = RackSettings::Load(profile);
    EXPECT_FALSE(loaded.watchAll);
    EXPECT_EQ(loaded.ticked, settings.ticked);
    EXPECT_FALSE(loaded.Alarm(AlarmKind::SampleRate));
    EXPECT_TRUE(loaded.Alarm(AlarmKind::Power));
    EXPECT_EQ(loaded.keepDays, 7);

    profile.values["Rack/KeepDays"] = "0";
    profile.values["Rack/Ticked"] = "127.0.0.2 *127.0.0.3 nonsense 300.1.1.1";
    profile.values["Rack/Alarm power"] = "yes";
    const RackSettings odd = RackSettings::Load(profile);
    EXPECT_EQ(odd.keepDays, RackSettings::kDefaultKeepDays);
    EXPECT_EQ(odd.ticked, std::set<std::string>{"127.0.0.2"});
    EXPECT_TRUE(odd.Alarm(AlarmKind::Power));

    profile.writable = false;
    EXPECT_FALSE(settings.Save(profile)) << "a profile that took nothing is not a saved setting";
}

}  // namespace
}  // namespace velmar
