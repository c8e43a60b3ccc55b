#include "kit/qoroneinsterror.h"

#include "kit/qorprocs.h"

namespace {

std::string OneInstMessage(const std::string& text, int kind)
{
    if (kind == 1)
        return text + ":\r" + qorprocs::ResText("Already one " + text + " control in this project!");
    return text + ":\r" + qorprocs::ResText("Invalid owner (<>TForm) or second instance on a form");
}

}  // namespace

QOREOneInstError::QOREOneInstError(const std::string& text, int kind) : Exception(OneInstMessage(text, kind)) {}
