#pragma once

#include <string>
#include <vector>

class QString;
class QWidget;

// What a user would take for a fault in a window's controls: an accelerator "&"
// shown as text, a symbol font's code letter shown as a plain letter, a label's
// text running past the label's edge.
struct TControlFault {
    std::string control;  // the control's name, or its class under its named parent
    std::string fault;    // "ampersand", "symbol letter" or "cut"
    std::string text;     // the text as it stands, UTF-8
};

// The faults of the shown controls of window, in the order of its children.
std::vector<TControlFault> CheckWindowControls(QWidget* window);

// A caption as Qt's buttons and menus show it: "&x" shows x (underlined), "&&" one "&".
QString WithoutAccelerators(QString caption);
