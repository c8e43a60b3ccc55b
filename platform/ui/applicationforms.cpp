#include "platform/ui/applicationforms.h"

#include "platform/ui/form.h"

#include <QPointer>

#include <vector>

namespace Application {

void FreeForms()
{
    std::vector<QPointer<TForm>> forms;
    for (TForm* form : Screen::Forms())
        forms.emplace_back(form);
    // Newest first, as an owner frees what it made: a later window may still refer
    // to an earlier one while it goes.
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (*it && !(*it)->parentWidget())
            (*it)->Free();
}

}  // namespace Application
