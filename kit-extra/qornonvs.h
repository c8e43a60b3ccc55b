#pragma once

#include "kit/qorobject.h"

#include <cstdint>

class TForm;

enum TQOROneInstanceMode { oiActivateOnly, oiDefaultMessage, oiCustom };

// Dropped on a program's main form: when an earlier copy of the program runs,
// that copy is brought forward and this one ends before its message loop starts.
// Whether an earlier copy runs is the application object's previous-instance flag.
class TQOROneInstance final : public TQORComponent {
public:
    // Raises QOREOneInstError when the program already has one.
    explicit TQOROneInstance(TForm* owner);
    ~TQOROneInstance() override;

    TQOROneInstanceMode Mode { oiActivateOnly };
    bool Enabled { true };
    TNotifyEvent OnCustom;

    // Ends the process when an earlier copy runs and the guard is on.
    void Loaded() override;

    // The live guards of the program (0 or 1).
    static std::uint8_t InstanceCount();

private:
    TForm* m_owner { nullptr };
};

// Restores the earlier copy's window when it is minimised, else raises it. The
// earlier copy is found by the application title alone.
void ActivatePrevInstance();
