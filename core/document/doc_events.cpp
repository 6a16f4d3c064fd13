#include "core/document/doc_events.h"

#include <algorithm>

namespace vox {

struct DocPublisher::Subscription::Slots {
    struct Slot {
        std::uint64_t id;
        // Shared so that a handler that unsubscribes itself is not destroyed
        // while it runs.
        std::shared_ptr<Handler> handler;
    };
    std::vector<Slot> list;
    std::uint64_t next_id = 1;
};

DocPublisher::Subscription::Subscription(Subscription&& o) noexcept : slots_(std::move(o.slots_)), id_(o.id_) {
    o.id_ = 0;
}

DocPublisher::Subscription& DocPublisher::Subscription::operator=(Subscription&& o) noexcept {
    if (this != &o) {
        reset();
        slots_ = std::move(o.slots_);
        id_ = o.id_;
        o.id_ = 0;
    }
    return *this;
}

void DocPublisher::Subscription::reset() {
    if (auto s = slots_.lock()) {
        auto& l = s->list;
        l.erase(std::remove_if(l.begin(), l.end(), [this](const Slots::Slot& slot) { return slot.id == id_; }),
                l.end());
    }
    slots_.reset();
    id_ = 0;
}

bool DocPublisher::Subscription::active() const {
    const auto s = slots_.lock();
    return s && std::any_of(s->list.begin(), s->list.end(), [this](const Slots::Slot& slot) { return slot.id == id_; });
}

DocPublisher::DocPublisher() : slots_(std::make_shared<Subscription::Slots>()) {}

DocPublisher::Subscription DocPublisher::subscribe(Handler handler) {
    const std::uint64_t id = slots_->next_id++;
    slots_->list.push_back({id, std::make_shared<Handler>(std::move(handler))});
    return Subscription(slots_, id);
}

void DocPublisher::publish(DocChange change) const {
    const auto keep = slots_;  // a handler may destroy the document that owns this publisher
    const std::vector<Subscription::Slots::Slot> snapshot = keep->list;
    for (const auto& slot : snapshot) {
        const auto& l = keep->list;
        const bool still = std::any_of(l.begin(), l.end(), [&](const auto& s) { return s.id == slot.id; });
        if (still && *slot.handler) (*slot.handler)(change);
    }
}

std::size_t DocPublisher::subscriber_count() const { return slots_->list.size(); }

}  // namespace vox
