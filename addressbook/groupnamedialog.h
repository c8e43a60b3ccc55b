#pragma once

#include "platform/ui/form.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace tivra {

// "New Contact Group": asks for the name of a new group; empty means none.
class TForm3 final : public TForm {
public:
    TForm3();

    std::string GroupName() const;

    QLineEdit* Edit1 { nullptr };
    QPushButton* Button1 { nullptr };
    QPushButton* Button2 { nullptr };
};

}  // namespace tivra
