#pragma once

#include <functional>

class TQORBaseContainer;

// A control's tie to a kit container it shows: the container calls Change when
// its contents change, and ContainerFreed when it goes away.
class TQORChangeLink final {
public:
    using TChangeEvent = std::function<void(TQORBaseContainer* Sender)>;

    TQORChangeLink() = default;
    // Unregisters from Sender.
    ~TQORChangeLink();
    TQORChangeLink(const TQORChangeLink&) = delete;
    TQORChangeLink& operator=(const TQORChangeLink&) = delete;

    TQORBaseContainer* Sender { nullptr };
    TChangeEvent OnChange;
    // The container is being destroyed; the link is already unregistered.
    TChangeEvent OnFree;

    void Change()
    {
        if (OnChange)
            OnChange(Sender);
    }
};
