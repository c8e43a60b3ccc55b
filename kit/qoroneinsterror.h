#pragma once

#include "platform/rtl/exceptions.h"

#include <string>

// Raised when a component that must be alone on its form (the form component,
// the form styler) finds it is not, or has no form for an owner.
class QOREOneInstError : public Exception {
public:
    // kind 0: an owner that is no form, or a second one on a form;
    // kind 1: a second one in the program.
    QOREOneInstError(const std::string& text, int kind);
};
