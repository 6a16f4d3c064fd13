#pragma once
// What a document announces to the views that show it. A view subscribes
// once and refreshes itself when told; whoever changes the document's data
// publishes the change, so no caller has to remember every view.
//
// The subscription handle unsubscribes when destroyed: a view that goes away
// before its document is never called again, and a handle that outlives its
// publisher is harmless. Handlers run on the thread that publishes (the
// user-interface thread); a handler may subscribe or unsubscribe, its own
// subscription included, while it runs.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace vox {

enum class DocChange {
    Samples,    // samples or channel parameters (count, rate, reference) changed
    Labels,     // labels or tiers changed
    Selection,  // cursor, selection or the displayed window changed
};

class DocPublisher {
public:
    using Handler = std::function<void(DocChange)>;

    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& o) noexcept;
        Subscription& operator=(Subscription&& o) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }
        // Unsubscribes now (nothing when already done).
        void reset();
        bool active() const;

    private:
        friend class DocPublisher;
        struct Slots;
        Subscription(std::weak_ptr<Slots> list, std::uint64_t id) : slots_(std::move(list)), id_(id) {}
        std::weak_ptr<Slots> slots_;
        std::uint64_t id_ = 0;
    };

    DocPublisher();
    DocPublisher(const DocPublisher&) = delete;
    DocPublisher& operator=(const DocPublisher&) = delete;

    [[nodiscard]] Subscription subscribe(Handler handler);
    // Calls every handler subscribed when the call starts and still
    // subscribed when its turn comes, in the order they subscribed.
    void publish(DocChange change) const;
    std::size_t subscriber_count() const;

private:
    std::shared_ptr<Subscription::Slots> slots_;
};

// Publishes its changes, in order, when it goes out of scope: for an
// operation that changes data on more than one return path (a long
// recording changed in place keeps the seconds already written).
class PublishOnExit {
public:
    PublishOnExit(const DocPublisher& to, std::initializer_list<DocChange> changes) : to_(to), changes_(changes) {}
    PublishOnExit(const PublishOnExit&) = delete;
    PublishOnExit& operator=(const PublishOnExit&) = delete;
    ~PublishOnExit() {
        for (DocChange c : changes_) to_.publish(c);
    }

private:
    const DocPublisher& to_;
    std::vector<DocChange> changes_;
};

}  // namespace vox
