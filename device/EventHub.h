#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace velmar {

namespace detail {

class ListenerListBase {
  public:
    virtual ~ListenerListBase() = default;
    virtual void Remove(std::uint64_t id) = 0;
};

}  // namespace detail

// Keeps one listener subscribed for as long as it lives. It may outlive the hub: dropping it
// then does nothing, so a window never has to know whether the core went first.
class [[nodiscard]] Subscription {
  public:
    Subscription() = default;
    Subscription(std::weak_ptr<detail::ListenerListBase> list, std::uint64_t id)
        : list_(std::move(list)), id_(id) {}
    Subscription(Subscription&& other) noexcept
        : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            Reset();
            list_ = std::move(other.list_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { Reset(); }

    void Reset() {
        if (auto list = list_.lock(); list && id_ != 0)
            list->Remove(id_);
        list_.reset();
        id_ = 0;
    }

  private:
    std::weak_ptr<detail::ListenerListBase> list_;
    std::uint64_t id_ = 0;
};

// A window's subscriptions, dropped together with the window.
using Subscriptions = std::vector<Subscription>;

namespace detail {

// The listeners of one event type. Listeners may subscribe or unsubscribe (themselves or
// others) while an event is being delivered: a listener removed meanwhile is not called again,
// one added meanwhile hears the next event.
template <typename Event>
class ListenerList final : public ListenerListBase {
  public:
    using Listener = std::function<void(const Event&)>;

    std::uint64_t Add(Listener listener) {
        entries_.push_back(std::make_unique<Entry>(Entry{++lastId_, std::move(listener), true}));
        return lastId_;
    }

    void Remove(std::uint64_t id) override {
        for (auto& entry : entries_) {
            if (entry->id == id)
                entry->alive = false;
        }
        if (depth_ == 0)
            Compact();
    }

    void Publish(const Event& event) {
        ++depth_;
        // Entries live on the heap and are only dropped outside a delivery, so a listener that
        // subscribes (growing the vector) or unsubscribes leaves this entry where it is.
        const std::size_t count = entries_.size();
        for (std::size_t i = 0; i < count; ++i) {
            Entry& entry = *entries_[i];
            if (entry.alive)
                entry.listener(event);
        }
        if (--depth_ == 0)
            Compact();
    }

    bool Empty() const { return entries_.empty(); }

  private:
    struct Entry {
        std::uint64_t id;
        Listener listener;
        bool alive;
    };

    void Compact() {
        std::erase_if(entries_, [](const std::unique_ptr<Entry>& entry) { return !entry->alive; });
    }

    std::vector<std::unique_ptr<Entry>> entries_;
    std::uint64_t lastId_ = 0;
    int depth_ = 0;
};

inline std::size_t NextEventSlot() {
    static std::atomic<std::size_t> next{0};
    return next++;
}

template <typename Event>
std::size_t EventSlot() {
    static const std::size_t slot = NextEventSlot();
    return slot;
}

}  // namespace detail

// The core's typed events. Any number of listeners per event type; a feature declares its event
// structs next to its handlers and publishes them here, so adding one needs no central list.
// Events are delivered synchronously, on the loop that runs the core.
class EventHub {
  public:
    template <typename Event>
    Subscription Subscribe(std::function<void(const Event&)> listener) {
        const std::shared_ptr<detail::ListenerList<Event>> list = ListFor<Event>();
        const std::uint64_t id = list->Add(std::move(listener));
        return Subscription(list, id);
    }

    template <typename Event>
    void Publish(const Event& event) {
        const std::size_t slot = detail::EventSlot<Event>();
        if (slot >= lists_.size() || !lists_[slot])
            return;
        // The hub keeps its lists for its whole life; subscriptions only hold weak references.
        static_cast<detail::ListenerList<Event>&>(*lists_[slot]).Publish(event);
    }

    template <typename Event>
    bool HasListeners() const {
        const std::size_t slot = detail::EventSlot<Event>();
        return slot < lists_.size() && lists_[slot] &&
               !static_cast<const detail::ListenerList<Event>&>(*lists_[slot]).Empty();
    }

  private:
    using ListenerListBase = detail::ListenerListBase;

    template <typename Event>
    std::shared_ptr<detail::ListenerList<Event>> ListFor() {
        const std::size_t slot = detail::EventSlot<Event>();
        if (slot >= lists_.size())
            lists_.resize(slot + 1);
        if (!lists_[slot])
            lists_[slot] = std::make_shared<detail::ListenerList<Event>>();
        return std::static_pointer_cast<detail::ListenerList<Event>>(lists_[slot]);
    }

    std::vector<std::shared_ptr<ListenerListBase>> lists_;
};

}  // namespace velmar
