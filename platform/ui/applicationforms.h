#pragma once

namespace Application {

// The application owns every form without a parent: at its end (and at a test's)
// this frees those still open, released ones whose turn never came included; a
// form's child forms go with it.
void FreeForms();

}  // namespace Application
