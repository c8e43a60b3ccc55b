#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Change-notifying bases of the kit's components and their sub-objects (fonts,
// styles): a change is reported to one callback unless updates are locked.

class TQORObject {
public:
    using TNotifyEvent = std::function<void(TQORObject* Sender)>;

    TQORObject() = default;
    virtual ~TQORObject() = default;

    TNotifyEvent OnChange;

    // While locked, Change reports nothing; EndUpdate reports once when notify is set.
    void BeginUpdate() { m_updateLock = 1; }
    void EndUpdate(bool notify);

    virtual void Change();
    // Sub-objects forward their own changes the same way.
    virtual void Changed() { Change(); }

protected:
    std::uint8_t m_updateLock { 0 };
};

class TQORComponent {
public:
    using TNotifyEvent = std::function<void(TQORComponent* Sender)>;

    TQORComponent() = default;
    virtual ~TQORComponent() = default;
    TQORComponent(const TQORComponent&) = delete;
    TQORComponent& operator=(const TQORComponent&) = delete;

    TNotifyEvent OnChange;

    void BeginUpdate() { m_updateLock = 1; }
    void EndUpdate(bool doChange);

    virtual void Change();
    // Handed out as the change callback of owned fonts and styles.
    virtual void ChildChanged() { Change(); }

    // Construction of a window's components ends with Loaded; until then the
    // component counts as loading.
    virtual void Loaded() { m_loading = false; }
    bool Loading() const { return m_loading; }
    bool Destroying() const { return m_destroying; }

protected:
    void MarkDestroying() { m_destroying = true; }

    std::uint8_t m_updateLock { 0 };

private:
    bool m_loading { true };
    bool m_destroying { false };
};
