// The base of the non-visual components of the communication stack, and their event types.
// An event is an optional callable; it is raised only when assigned.
#pragma once

#include <functional>

class TComponent {
public:
    virtual ~TComponent() = default;
};

using TNotifyEvent = std::function<void(TComponent* Sender)>;

// Raises an optional event: does nothing when it is not assigned.
template <typename Event, typename... Args> inline void raise(const Event& event, Args&&... args) {
    if (event) event(std::forward<Args>(args)...);
}
