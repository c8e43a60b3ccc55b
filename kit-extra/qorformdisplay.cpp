#include "kit-extra/qorformdisplay.h"

#include "kit/qorprocs.h"
#include "platform/rtl/exceptions.h"
#include "platform/ui/form.h"

#include <QResizeEvent>

TQORFormDisplay::~TQORFormDisplay()
{
    m_destroying = true;
    dropForm();
}

void TQORFormDisplay::SetFormName(const std::string& value)
{
    if (value == m_formName)
        return;
    m_formName = value;
    showNamed(value);
}

void TQORFormDisplay::showNamed(const std::string& name)
{
    if (qorprocs::IsBlank(name)) {
        dropForm();
        m_formName.clear();
        update();
        return;
    }
    // A form of that name that does not exist shows nothing, without complaint.
    for (TForm* form : Screen::Forms()) {
        if (form->Name() == name) {
            ShowForm(form);
            return;
        }
    }
}

void TQORFormDisplay::ShowForm(TForm* form)
{
    if (!form)
        throw Exception("TQORFormDisplay: Form not instanced!");
    if (form == m_form || holds(form))
        return;
    dropForm();
    if (m_destroying)
        return;
    form->hide();
    form->setParent(this, Qt::Widget);
    m_form = form;
    m_formName = form->Name();
    placeForm();
    form->show();
    form->setFocus();
}

bool TQORFormDisplay::holds(const QWidget* form) const
{
    // Embedding a form that holds the display would make it its own parent.
    for (const QWidget* holder = this; holder; holder = holder->parentWidget())
        if (holder == form)
            return true;
    return false;
}

void TQORFormDisplay::dropForm()
{
    if (m_form) {
        TForm* form = m_form;
        m_form = nullptr;
        delete form;
    }
}

void TQORFormDisplay::placeForm()
{
    if (m_form)
        m_form->setGeometry(AlignRect());
}

void TQORFormDisplay::Changed(TQORObject* sender)
{
    if (m_destroying)
        return;
    TQORCustomBevelPanel::Changed(sender);
    placeForm();
}

void TQORFormDisplay::resizeEvent(QResizeEvent* event)
{
    TQORCustomBevelPanel::resizeEvent(event);
    placeForm();
}

void TQORFormDisplay::focusInEvent(QFocusEvent* event)
{
    TQORCustomBevelPanel::focusInEvent(event);
    if (m_form && focusPolicy() != Qt::NoFocus && m_form->focusWidget())
        m_form->focusWidget()->setFocus();
}

void TQORFormDisplay::Paint(QImage& canvas)
{
    if (!m_form && !qorprocs::IsBlank(m_formName))
        showNamed(m_formName);
    TQORCustomBevelPanel::Paint(canvas);
}
