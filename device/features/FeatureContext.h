#pragma once

#include <chrono>
#include <functional>
#include <initializer_list>

#include "device/ConnectionState.h"
#include "device/DeviceState.h"
#include "device/Dispatcher.h"
#include "device/EventHub.h"
#include "device/FieldBindings.h"
#include "device/RequestOutcomes.h"
#include "device/RequestWriter.h"
#include "device/TimerService.h"
#include "protocol/MessageCodec.h"

namespace velmar {

// The poll steps a reply may bring forward (the poller owns their timers).
class PollSchedule {
  public:
    virtual void PollStateIn(std::chrono::milliseconds delay) = 0;
    virtual void RequestCardsIn(std::chrono::milliseconds delay) = 0;
    // Reads the frame again from the start, as after a connect.
    virtual void StartSequence() = 0;

  protected:
    ~PollSchedule() = default;
};

// What a feature unit is built with: the frame image, the records' road in and out, time and
// the event hub. A unit registers its handlers with the dispatcher in its constructor.
struct FeatureContext {
    DeviceState& state;
    ConnectionState& connection;
    const MessageCodec& codec;
    RequestWriter& requests;
    TimerService& timers;
    EventHub& events;
    Dispatcher& dispatcher;
    PollSchedule& poll;
    // Every request's outcome, for a unit that acts on its own answers.
    RequestOutcomes& outcomes;
    // Closes the link, as the operator's Close does.
    std::function<void()> disconnect;
    // The frame's name changed: the title says it again.
    std::function<void()> retitle;

    std::int32_t Channels() const { return connection.capabilities.channels; }

    // Registers words whose replies do nothing but store their bound fields.
    void StoreRepliesOf(std::initializer_list<CommandCode> words) {
        for (const CommandCode word : words)
            dispatcher.On(word, [this](const CommandMessage& m, bool) { StoreBoundFields(state, m); });
    }
};

inline bool InRange(std::int32_t value, std::int32_t first, std::int32_t last) {
    return value >= first && value <= last;
}

// Index of a 1-based number into a table.
inline std::size_t At(std::int32_t oneBased) {
    return static_cast<std::size_t>(oneBased - 1);
}

}  // namespace velmar
