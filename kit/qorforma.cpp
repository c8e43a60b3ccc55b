#include "kit/qorforma.h"

#include "kit/qorapplication.h"
#include "kit/qoroneinsterror.h"
#include "kit/qorscreen.h"
#include "kit/qorsysin.h"
#include "kit/qorutils.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/eventloop.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/colortext.h"
#include "platform/ui/drawtext.h"
#include "platform/ui/form.h"
#include "platform/win/shell.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QObject>
#include <QPointer>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

using qorprocs::TRect;

namespace {

constexpr std::size_t kMaxDroppedName = 255;
constexpr int kMaxFontSize = 1000;

LPARAM MakeLong(int low, int high) { return static_cast<LPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16)); }
WORD LowWord(LPARAM value) { return static_cast<WORD>(value & 0xFFFF); }
WORD HighWord(LPARAM value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }

bool IsWidthIndex(int index) { return index == 1 || index == 3 || index == 5 || index == 6; }

// Tells when the system clock is set: a timer that the kernel cancels on every
// change of the real-time clock.
class ClockWatch final : public QObject {
public:
    explicit ClockWatch(std::function<void()> changed) : m_changed(std::move(changed))
    {
        m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_fd < 0)
            return;
        arm();
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            const bool cancelled = ::read(m_fd, &expirations, sizeof expirations) < 0 && errno == ECANCELED;
            arm();
            if (cancelled)
                m_changed();
        });
    }
    ~ClockWatch() override
    {
        delete m_notifier;
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    void arm()
    {
        itimerspec deadline {};
        deadline.it_value.tv_sec = std::numeric_limits<time_t>::max() / 2;
        timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &deadline, nullptr);
    }

    std::function<void()> m_changed;
    int m_fd { -1 };
    QSocketNotifier* m_notifier { nullptr };
};

}  // namespace

WINDOWPLACEMENT GetWindowPlacement(const TForm& form)
{
    WINDOWPLACEMENT placement;
    switch (form.WindowState()) {
    case wsMinimized: placement.showCmd = SW_SHOWMINIMIZED; break;
    case wsMaximized: placement.showCmd = SW_SHOWMAXIMIZED; break;
    default: placement.showCmd = SW_SHOWNORMAL; break;
    }
    if (form.WindowState() == wsNormal) {
        placement.rcNormalPosition = { form.Left(), form.Top(), form.Left() + form.Width(), form.Top() + form.Height() };
    } else {
        // Qt keeps the normal rectangle of the client area; the placement's left and top are the frame's.
        const QRect normal = form.normalGeometry();
        const int left = normal.left() - (form.geometry().x() - form.frameGeometry().x());
        const int top = normal.top() - (form.geometry().y() - form.frameGeometry().y());
        placement.rcNormalPosition = { left, top, left + normal.width(), top + normal.height() };
    }
    return placement;
}

void SetWindowPlacement(TForm& form, const WINDOWPLACEMENT& placement)
{
    const TRect& r = placement.rcNormalPosition;
    TWindowState state = form.WindowState();
    switch (placement.showCmd) {
    case 0: break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: state = wsMinimized; break;
    case SW_SHOWMAXIMIZED: state = wsMaximized; break;
    default: state = wsNormal; break;
    }
    // The normal rectangle is set while the window is normal, so it is the one a
    // later restore returns to and the next save writes back.
    form.SetWindowState(wsNormal);
    form.SetBounds(r.Left, r.Top, r.Width(), r.Height());
    form.SetWindowState(state);
}

// The owner's window-system events, handed to the component as its messages.
class TQORForm::Events final : public QObject {
public:
    explicit Events(TQORForm* component) : m_component(component), m_form(component->OwnerForm())
    {
        // Colour scheme and font changes go to the application, not to each window,
        // so the application's filter, which sees the form's events too, is the one place.
        qApp->installEventFilter(this);
        if (QScreen* screen = QGuiApplication::primaryScreen())
            QObject::connect(screen, &QScreen::geometryChanged, this, [this, screen](const QRect& geometry) {
                send(WM_DISPLAYCHANGE, static_cast<WPARAM>(screen->depth()), MakeLong(geometry.width(), geometry.height()));
            });
        m_clock = std::make_unique<ClockWatch>([this] { send(WM_TIMECHANGE, 0, 0); });
    }
    ~Events() override
    {
        qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp) {
            if (event->type() == QEvent::ApplicationPaletteChange)
                send(WM_SYSCOLORCHANGE, 0, 0);
            else if (event->type() == QEvent::ApplicationFontChange)
                send(WM_FONTCHANGE, 0, 0);
            return false;
        }
        // A form half way through destruction is no longer a TForm and is left alone.
        if (watched != m_form)
            return false;
        auto* form = dynamic_cast<TForm*>(watched);
        if (!form)
            return false;
        switch (event->type()) {
        case QEvent::Move: {
            if (m_movingBack)
                return false;
            WINDOWPOS pos { form->Left(), form->Top(), form->Width(), form->Height(), 0 };
            send(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
            if (pos.flags & SWP_NOMOVE) {
                // The move has happened already; refusing it means going back.
                m_movingBack = true;
                form->move(static_cast<QMoveEvent*>(event)->oldPos());
                m_movingBack = false;
                return false;
            }
            send(WM_MOVE, 0, MakeLong(form->x(), form->y()));
            return false;
        }
        case QEvent::Resize: {
            const WPARAM kind = form->isMinimized() ? SIZE_MINIMIZED : form->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
            send(WM_SIZE, kind, MakeLong(form->width(), form->height()));
            // The form's own resizing lifts its size constraints; the limits hold again at once.
            if (!m_applying) {
                m_applying = true;
                m_component->applyLimits();
                m_applying = false;
            }
            return false;
        }
        case QEvent::Show:
            send(WM_SHOWWINDOW, 1, event->spontaneous() ? 1 : 0);
            return false;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            TDroppedFiles dropped;
            dropped.Files = shell::DroppedFiles(drop->mimeData());
            if (dropped.Files.empty())
                return false;
            const QPoint p = drop->position().toPoint();
            dropped.Point = { p.x(), p.y() };
            send(WM_DROPFILES, reinterpret_cast<WPARAM>(&dropped), 0);
            return false;
        }
        default: return false;
        }
    }

private:
    void send(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        TMessage message { msg, wParam, lParam, 0 };
        Application::Guarded([&] { m_component->DeliverMessage(message); });
    }

    TQORForm* m_component;
    const QObject* m_form;
    bool m_movingBack { false };
    bool m_applying { false };
    std::unique_ptr<ClockWatch> m_clock;
};

TQORForm::TQORForm(TForm* owner) : TQORWndProcComponent(owner)
{
    if (owner && IsOneOfKindOnForm(owner, [](const TQORWndProcComponent* c) { return dynamic_cast<const TQORForm*>(c); }, false))
        throw QOREOneInstError("TQORForm", 0);
    m_iniKey = owner ? owner->Name().substr(0, 250) : "Form";
    m_screenWidth = qorscreen::Width();
    m_screenHeight = qorscreen::Height();
    m_insertWatch = TQORIniCtrl::WatchInsertions([this](TQORIniCtrl* control) {
        if (control->Owner() == OwnerForm())
            Notification(control, opInsert);
    });
}

TQORForm::~TQORForm()
{
    MarkDestroying();
    TQORIniCtrl::UnwatchInsertions(m_insertWatch);
    if (m_iniLink)
        m_iniLink->RemoveFreeNotification(m_linkWatch);
    m_events.reset();
    if (TForm* form = OwnerForm()) {
        // Give the form its own handlers back.
        form->OnShow = m_formOnShow;
        form->OnDestroy = m_formOnDestroy;
    }
}

void TQORForm::Loaded()
{
    TForm* form = OwnerForm();
    if (form && Enabled()) {
        m_restoredOnce = false;
        m_formOnShow = std::move(form->OnShow);
        m_formOnDestroy = std::move(form->OnDestroy);
        form->OnShow = [this] { formShow(); };
        form->OnDestroy = [this] { formDestroy(); };
    }
    if (m_iniUse == ioUseLink && !m_iniLink) {
        const auto controls = TQORIniCtrl::OnForm(form);
        if (controls.size() == 1)
            SetIniLink(controls.front());
    }
    TQORWndProcComponent::Loaded();
}

void TQORForm::SetAcceptFiles(bool value)
{
    m_acceptFiles = value;
    if (Enabled() && OwnerForm())
        OwnerForm()->SetAcceptFiles(value);
}

void TQORForm::SetIniLink(TQORIniCtrl* value)
{
    if (m_iniLink)
        m_iniLink->RemoveFreeNotification(m_linkWatch);
    m_iniLink = value;
    m_linkWatch = 0;
    if (value)
        m_linkWatch = value->FreeNotification([this](TQORIniCtrl* control) { Notification(control, opRemove); });
}

void TQORForm::Notification(TQORIniCtrl* component, TOperation operation)
{
    if (operation == opRemove && component == m_iniLink) {
        m_iniLink->RemoveFreeNotification(m_linkWatch);
        m_iniLink = nullptr;
        m_linkWatch = 0;
    } else if (operation == opInsert && m_iniUse == ioUseLink && !m_iniLink && component) {
        SetIniLink(component);
    }
}

TQORIniCtrl* TQORForm::Settings() const
{
    switch (m_iniUse) {
    case ioUseLink: return m_iniLink;
    case ioUseGlobal: return QORApplication() ? &QORApplication()->IniCtrl() : nullptr;
    default: return nullptr;
    }
}

int TQORForm::SizeProp(int index) const { return index >= 0 && index < 8 ? m_sizes[index] : 0; }

int TQORForm::effectiveOf(int index, int value) const
{
    if (value >= 0)
        return value;
    const int screen = IsWidthIndex(index) ? m_screenWidth : m_screenHeight;
    return static_cast<int>(std::lround(static_cast<double>(screen) / -value));
}

void TQORForm::SetSizeProp(int index, int value)
{
    if (index < 0 || index > 7 || value < -100)
        return;
    const int effective = effectiveOf(index, value);
    // Maximum track sizes are 0 and 1, their minimums 2 and 3.
    if (index <= 1 && effective != 0 && effective < m_effective[index + 2])
        return;
    if ((index == 2 || index == 3) && m_effective[index - 2] > 0 && effective > m_effective[index - 2])
        return;
    m_sizes[index] = value;
    recomputeLimits();
    if (Hooked())
        applyLimits();
}

void TQORForm::recomputeLimits()
{
    for (int i = 0; i < 8; ++i)
        m_effective[i] = effectiveOf(i, m_sizes[i]);
    for (int i : { 0, 1, 4, 5 }) {
        const int screen = IsWidthIndex(i) ? m_screenWidth : m_screenHeight;
        if (screen > 0 && m_effective[i] > screen)
            m_effective[i] = screen;
    }
    for (int i : { 0, 1 })
        if (m_effective[i] != 0 && m_effective[i] < m_effective[i + 2])
            m_effective[i + 2] = m_effective[i];
}

void TQORForm::applyLimits()
{
    TForm* form = OwnerForm();
    if (!form)
        return;
    MINMAXINFO info {};
    info.ptMaxSize = { m_screenWidth, m_screenHeight };
    info.ptMinTrackSize = { 0, 0 };
    info.ptMaxTrackSize = { QWIDGETSIZE_MAX, QWIDGETSIZE_MAX };
    TMessage message { WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), 0 };
    DeliverMessage(message);
    form->setMinimumSize(std::max(0, info.ptMinTrackSize.x), std::max(0, info.ptMinTrackSize.y));
    form->setMaximumSize(std::clamp<int>(info.ptMaxTrackSize.x, 0, QWIDGETSIZE_MAX), std::clamp<int>(info.ptMaxTrackSize.y, 0, QWIDGETSIZE_MAX));
}

void TQORForm::Hook()
{
    TQORWndProcComponent::Hook();
    if (!Enabled() || !Hooked() || !OwnerForm())
        return;
    if (!m_events)
        m_events = std::make_unique<Events>(this);
    OwnerForm()->SetAcceptFiles(m_acceptFiles);
    recomputeLimits();
    applyLimits();
}

void TQORForm::Unhook()
{
    m_events.reset();
    if (OwnerForm())
        OwnerForm()->SetAcceptFiles(false);
    TQORWndProcComponent::Unhook();
}

void TQORForm::WndProc(TMessage& message)
{
    if (!Enabled()) {
        TQORWndProcComponent::WndProc(message);
        return;
    }
    switch (message.Msg) {
    case WM_MOVE:
        if (OnMove)
            OnMove(this);
        break;
    case WM_SIZE:
        if (OnSize)
            OnSize(this, LowWord(message.LParam), HighWord(message.LParam), static_cast<WORD>(message.WParam));
        break;
    case WM_SYSCOLORCHANGE:
        if (OnSysColorChange)
            OnSysColorChange(this);
        break;
    case WM_SHOWWINDOW:
        if (message.WParam != 0 && message.LParam == 0 && OwnerForm()) {
            if (m_effect == deExplode)
                ExplodeFromCursor(OwnerForm());
            else if (m_effect == deExplodeExt)
                ExplodeFromCursorExt(OwnerForm());
        }
        break;
    case WM_WININICHANGE:
        if (OnIniChange)
            OnIniChange(this, message.LParam ? reinterpret_cast<const char*>(message.LParam) : "");
        break;
    case WM_DEVMODECHANGE:
        if (OnDevModeChange)
            OnDevModeChange(this, message.LParam ? reinterpret_cast<const char*>(message.LParam) : "");
        break;
    case WM_FONTCHANGE:
        if (OnFontChange)
            OnFontChange(this);
        break;
    case WM_TIMECHANGE:
        if (OnTimeChange)
            OnTimeChange(this);
        break;
    case WM_PAINTICON:
        if (OnPaintIcon)
            OnPaintIcon(this);
        break;
    case WM_SPOOLERSTATUS:
        if (OnSpoolerStatus)
            OnSpoolerStatus(this, LowWord(message.LParam));
        break;
    case WM_COMPACTING:
        if (OnCompacting)
            OnCompacting(this, static_cast<int>(message.WParam));
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
        if (!info)
            break;
        if (OnTrackInfo) {
            int minW = m_effective[3], minH = m_effective[2], maxW = m_effective[1], maxH = m_effective[0];
            OnTrackInfo(this, minW, minH, maxW, maxH);
            info->ptMinTrackSize = { minW, minH };
            info->ptMaxTrackSize = { maxW, maxH };
        } else {
            if (m_effective[3] > 0)
                info->ptMinTrackSize.x = m_effective[3];
            if (m_effective[2] > 0)
                info->ptMinTrackSize.y = m_effective[2];
            if (m_effective[1] > 0)
                info->ptMaxTrackSize.x = m_effective[1];
            if (m_effective[0] > 0)
                info->ptMaxTrackSize.y = m_effective[0];
        }
        if (OnMaximizeInfo) {
            int x = m_effective[6], y = m_effective[7], w = m_effective[5], h = m_effective[4];
            OnMaximizeInfo(this, x, y, w, h);
            info->ptMaxPosition = { x, y };
            info->ptMaxSize = { w, h };
        } else {
            if (m_effective[6] > 0)
                info->ptMaxPosition.x = m_effective[6];
            if (m_effective[7] > 0)
                info->ptMaxPosition.y = m_effective[7];
            if (m_effective[5] > 0)
                info->ptMaxSize.x = m_effective[5];
            if (m_effective[4] > 0)
                info->ptMaxSize.y = m_effective[4];
        }
        message.Result = 0;
        break;
    }
    case WM_WINDOWPOSCHANGING:
        if (OnMoving && message.LParam) {
            auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
            bool cancel = false;
            OnMoving(this, pos->x, pos->y, cancel);
            if (cancel)
                pos->flags |= SWP_NOMOVE;
        }
        break;
    case WM_POWER:
        if (message.WParam == PWR_SUSPENDREQUEST && OnAPMSuspendRequest) {
            bool cancel = false;
            OnAPMSuspendRequest(this, cancel);
            if (cancel)
                message.Result = -1;
        } else if (message.WParam == PWR_SUSPENDRESUME && OnAPMResume) {
            OnAPMResume(this);
        } else if (message.WParam == PWR_CRITICALRESUME && OnAPMCriticalResume) {
            OnAPMCriticalResume(this);
        }
        break;
    case WM_DISPLAYCHANGE:
        m_screenWidth = LowWord(message.LParam);
        m_screenHeight = HighWord(message.LParam);
        recomputeLimits();
        applyLimits();
        if (OnDisplayChange)
            OnDisplayChange(this, LowWord(message.LParam), HighWord(message.LParam), static_cast<WORD>(message.WParam));
        break;
    case WM_DROPFILES:
        if (OnFMDragDrop && message.WParam) {
            const auto* dropped = reinterpret_cast<const TDroppedFiles*>(message.WParam);
            TStringList list;
            for (const std::string& name : dropped->Files)
                if (name.size() < kMaxDroppedName)
                    list.Add(name);
            OnFMDragDrop(this, static_cast<int>(dropped->Files.size()), dropped->Point.x, dropped->Point.y, &list);
        }
        break;
    default: break;
    }
    TQORWndProcComponent::WndProc(message);
}

void TQORForm::formShow()
{
    TForm* form = OwnerForm();
    if (form && Enabled() && !((m_options & foRestoreOnce) && m_restoredOnce)) {
        LoadValues();
        m_restoredOnce = true;
        if (form->WindowState() == wsNormal) {
            int width = form->Width();
            int height = form->Height();
            if (m_effective[1] > 0 && width > m_effective[1])
                width = m_effective[1];
            if (m_effective[0] > 0 && height > m_effective[0])
                height = m_effective[0];
            if (m_effective[3] > 0 && width < m_effective[3])
                width = m_effective[3];
            if (m_effective[2] > 0 && height < m_effective[2])
                height = m_effective[2];
            if (width != form->Width() || height != form->Height())
                form->SetBounds(form->Left(), form->Top(), width, height);
        } else if (form->WindowState() == wsMaximized) {
            if (m_effective[6] > 0)
                form->SetLeft(m_effective[6]);
            if (m_effective[7] > 0)
                form->SetTop(m_effective[7]);
            if (m_effective[5] > 0)
                form->SetWidth(m_effective[5]);
            if (m_effective[4] > 0)
                form->SetHeight(m_effective[4]);
        }
        if ((m_options & foTryAdaptRes) && !m_adapted)
            adaptResolution();
    }
    // The form's own handler runs on every show, restored or not.
    if (m_formOnShow)
        m_formOnShow();
}

void TQORForm::formDestroy()
{
    if (Enabled())
        SaveValues();
    if (m_formOnDestroy)
        m_formOnDestroy();
}

void TQORForm::adaptResolution()
{
    m_adapted = true;
    TForm* form = OwnerForm();
    const int ppi = form->logicalDpiX();
    if (ppi <= 0 || ppi == m_designPPI)
        return;
    for (QWidget* child : form->findChildren<QWidget*>()) {
        const QRect g = child->geometry();
        child->setGeometry(g.x() * m_designPPI / ppi, g.y() * m_designPPI / ppi, g.width() * m_designPPI / ppi,
            g.height() * m_designPPI / ppi);
    }
}

void TQORForm::SaveValues()
{
    TQORIniCtrl* settings = Settings();
    TForm* form = OwnerForm();
    if (!settings || !form)
        return;
    const WINDOWPLACEMENT placement = GetWindowPlacement(*form);
    const TRect& r = placement.rcNormalPosition;
    settings->WriteString(m_section, m_iniKey,
        qorprocs::JoinInts({ 200, static_cast<int>(placement.flags), static_cast<int>(placement.showCmd), r.Left, r.Top, r.Right, r.Bottom }, 6, ','));
    if (m_saveOptions & soColor)
        settings->WriteString(m_section, m_iniKey + "Color", ColorToString(form->Color()));
    else
        settings->DeleteKey(m_section, m_iniKey + "Color");
    if (m_saveOptions & soFont)
        settings->WriteString(m_section, m_iniKey + "Font", FontToString(form->Font()));
    else
        settings->DeleteKey(m_section, m_iniKey + "Font");
}

void TQORForm::LoadValues()
{
    TQORIniCtrl* settings = Settings();
    TForm* form = OwnerForm();
    if (!settings || !form)
        return;
    applyPlacement(settings->ReadString(m_section, m_iniKey, ""));
    if (m_saveOptions & soColor) {
        const std::string text = settings->ReadString(m_section, m_iniKey + "Color", "");
        if (!text.empty()) {
            // A colour the file spells wrongly leaves the form's own.
            try {
                form->SetColor(StringToColor(text));
            } catch (const EConvertError&) {
            }
        }
    }
    if (m_saveOptions & soFont) {
        const std::string text = settings->ReadString(m_section, m_iniKey + "Font", "");
        if (!text.empty()) {
            // A stored size that is a number must be a sensible one.
            TStringList parts;
            SplitString(text, ',', &parts);
            int size = 10;
            const bool sizeOk = parts.Count() == 7 && (!TryStrToInt(parts[1], size) || (size > 0 && size <= kMaxFontSize));
            TFontSpec font = form->Font();
            try {
                StringToFont(text, font);
                if (sizeOk && !font.Name.empty())
                    form->SetFont(font);
            } catch (const EConvertError&) {
            }
        }
    }
}

void TQORForm::applyPlacement(const std::string& text)
{
    TForm* form = OwnerForm();
    if (!(m_saveOptions & (soPos | soSize | soState)) && form->Position() != poScreenCenter)
        return;
    WINDOWPLACEMENT placement = GetWindowPlacement(*form);
    TStringList parts;
    SplitString(text, ',', &parts);
    int values[7] {};
    bool valid = !text.empty() && parts.Count() == 7 && parts[0] == "200";
    for (int i = 0; valid && i < 7; ++i)
        valid = TryStrToInt(parts[i], values[i]);
    // A stored rectangle must have a size; a show command must be one the platform knows.
    if (valid)
        valid = values[5] > values[3] && values[6] > values[4] && values[2] >= 0 && values[2] <= SW_SHOWDEFAULT;
    if (valid) {
        if (m_saveOptions & soState) {
            placement.flags = static_cast<UINT>(values[1]);
            placement.showCmd = (m_options & foAutoShow) ? static_cast<UINT>(values[2]) : 0;
        }
        TRect& r = placement.rcNormalPosition;
        if (m_saveOptions & soPos) {
            r.Left = values[3];
            r.Top = values[4];
            if (m_saveOptions & soSize) {
                r.Right = values[5];
                r.Bottom = values[6];
            } else {
                r.Right = r.Left + form->Width();
                r.Bottom = r.Top + form->Height();
            }
        } else if (m_saveOptions & soSize) {
            r.Right = form->Left() + (values[5] - values[3]);
            r.Bottom = form->Top() + (values[6] - values[4]);
        }
        if (m_saveOptions & (soPos | soSize)) {
            const int sw = m_screenWidth;
            const int sh = m_screenHeight;
            if (r.Left > sw)
                r.Left = sw / 2;
            if (r.Top > sh)
                r.Top = sh / 2;
            if (r.Right > sw)
                r.Right = sw;
            if (r.Bottom > sh)
                r.Bottom = sh;
            r.Left = std::max(r.Left, 0);
            r.Top = std::max(r.Top, 0);
            valid = r.Right > r.Left && r.Bottom > r.Top;
        }
    }
    if (valid) {
        SetWindowPlacement(*form, placement);
        return;
    }
    if (m_options & foAutoCenter)
        CenterOnScreen(form);
    if (OnNoRestoreData)
        OnNoRestoreData(this);
}

// The owner's activation and frame moments, as the styler's messages.
class TQORFormStyler::Events final : public QObject {
public:
    explicit Events(TQORFormStyler* styler) : m_styler(styler), m_form(styler->OwnerForm())
    {
        m_form->installEventFilter(this);
    }
    ~Events() override
    {
        if (m_form)
            m_form->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* form = dynamic_cast<TForm*>(watched);
        if (watched != m_form || !form)
            return false;
        switch (event->type()) {
        case QEvent::ActivationChange: send(WM_NCACTIVATE, form->isActiveWindow() ? 1 : 0); break;
        case QEvent::WindowTitleChange:
        case QEvent::Resize:
        case QEvent::Show: send(WM_NCPAINT, 1); break;
        default: break;
        }
        return false;
    }

private:
    void send(UINT msg, WPARAM wParam)
    {
        TMessage message { msg, wParam, 0, 0 };
        Application::Guarded([&] { m_styler->DeliverMessage(message); });
    }

    TQORFormStyler* m_styler;
    QPointer<QObject> m_form;
};

TQORFormStyler::TQORFormStyler(TForm* owner) : TQORWndProcComponent(owner)
{
    if (owner && IsOneOfKindOnForm(owner, [](const TQORWndProcComponent* c) { return dynamic_cast<const TQORFormStyler*>(c); }, false))
        throw QOREOneInstError("TQORFormStyler", 0);
    m_font3D.OnChange = [this](TQORObject*) { ChildChanged(); };
}

TQORFormStyler::~TQORFormStyler()
{
    MarkDestroying();
    m_events.reset();
}

std::string TQORFormStyler::CaptionText() const
{
    if ((m_options & fsUseFormCaption) && OwnerForm())
        return OwnerForm()->Caption();
    return m_savedCaption;
}

void TQORFormStyler::SetAlignment(TAlignment value)
{
    m_alignment = value;
    if (m_paintMode != pcNone)
        repaint();
}

void TQORFormStyler::SetColors(int value)
{
    if (value < 2 || value > 236)
        return;
    m_colors = value;
    if (m_paintMode == pcControl)
        repaint();
}

void TQORFormStyler::SetFont(const TFontSpec& value)
{
    m_font = value;
    ChildChanged();
}

void TQORFormStyler::SetPaintMode(TQORPaintMode value)
{
    m_paintMode = value;
    if (m_paintMode != pcNone)
        repaint();
    else
        refreshFrame();
}

void TQORFormStyler::SetOptions(TQORFormStyleOptions value)
{
    m_options = value;
    if (m_paintMode != pcNone)
        repaint();
    else
        refreshFrame();
}

void TQORFormStyler::ChildChanged()
{
    if (m_paintMode != pcNone && !(m_options & fsUseDefaultFont))
        repaint();
}

void TQORFormStyler::Hook()
{
    TQORWndProcComponent::Hook();
    if (!Enabled() || !Hooked() || !OwnerForm())
        return;
    if (!m_events)
        m_events = std::make_unique<Events>(this);
    // The title bar keeps the real caption; the styler paints its own copy of it.
    if (!(m_options & fsUseFormCaption))
        m_savedCaption = OwnerForm()->Caption();
    m_active = OwnerForm()->isActiveWindow();
    if (!Loading())
        PaintCaption(true);
}

void TQORFormStyler::Unhook()
{
    m_events.reset();
    m_icon = QImage();
    TQORWndProcComponent::Unhook();
    if (!Destroying() && IsHandleReady())
        refreshFrame();
}

void TQORFormStyler::WndProc(TMessage& message)
{
    if (!Enabled() || m_paintMode == pcNone || Destroying()) {
        TQORWndProcComponent::WndProc(message);
        return;
    }
    switch (message.Msg) {
    case WM_GETTEXT:
        if (!(m_options & fsUseFormCaption)) {
            if (message.LParam && message.WParam >= 2)
                std::memcpy(reinterpret_cast<char*>(message.LParam), " ", 2);
            message.Result = 1;
            return;
        }
        break;
    case WM_GETTEXTLENGTH:
        if (!(m_options & fsUseFormCaption)) {
            message.Result = 1;
            return;
        }
        break;
    case WM_NCPAINT:
        TQORWndProcComponent::WndProc(message);
        PaintCaption(true);
        return;
    case WM_NCACTIVATE:
        m_active = message.WParam != 0;
        TQORWndProcComponent::WndProc(message);
        PaintCaption(false);
        return;
    default: break;
    }
    TQORWndProcComponent::WndProc(message);
}

namespace {

// What the window system itself paints of the caption strip: the frame, the
// caption bar in its colour and the window's icon.
void PaintStandardStrip(QPainter& painter, const TForm& form, const TRect& caption, const TRect& text,
    std::uint16_t flags, bool active)
{
    painter.fillRect(painter.viewport(), ToQColor(active ? clActiveBorder : clInactiveBorder));
    painter.fillRect(QRect(caption.Left, caption.Top, caption.Width(), caption.Height()),
        ToQColor(active ? clActiveCaption : clInactiveCaption));
    if (flags & cfHasIcon) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        const QIcon icon = form.windowIcon();
        const int left = (flags & cfIconic) ? caption.Left : text.Left - size - 2 * GetSystemMetrics(SM_CXBORDER);
        if (!icon.isNull())
            icon.paint(&painter, QRect(std::max(caption.Left, left), caption.Top + (caption.Height() - size) / 2, size, size));
    }
}

}  // namespace

void TQORFormStyler::refreshFrame()
{
    TForm* form = OwnerForm();
    if (!form)
        return;
    TRect caption;
    TRect text;
    std::uint16_t flags = 1;
    CaptionRects(CaptionWindowOf(*form), caption, text, flags);
    m_image = QImage(std::max(1, form->Width()), std::max(1, caption.Bottom + caption.Top), QImage::Format_RGB32);
    QPainter painter(&m_image);
    PaintStandardStrip(painter, *form, caption, text, flags, m_active);
}

void TQORFormStyler::PaintCaption(bool keepIcon)
{
    TForm* form = OwnerForm();
    if (!form || Destroying() || !Enabled() || m_paintMode == pcNone)
        return;
    if (form->WindowState() == wsMinimized && !NewShell())
        return;
    const std::string text = CaptionText();
    std::uint16_t flags = (m_paintMode == pcOwnerDraw && (m_options & fsAdjustRect)) ? 3 : 1;
    if (form->BorderStyle() == bsSingle)
        flags |= cfSingleBorder;
    TRect caption;
    TRect textRect;
    CaptionRects(CaptionWindowOf(*form), caption, textRect, flags);
    m_smallCaption = flags & cfSmallCaption;
    const bool hasIcon = flags & cfHasIcon;

    // The window system paints the whole bar, buttons' room included.
    TRect wholeBar;
    TRect plainText;
    std::uint16_t plainFlags = flags & ~(cfCutRight | cfHasIcon | cfSmallCaption | cfIconic);
    CaptionRects(CaptionWindowOf(*form), wholeBar, plainText, plainFlags);
    m_image = QImage(std::max(1, form->Width()), std::max(1, caption.Bottom + caption.Top), QImage::Format_RGB32);
    QPainter painter(&m_image);
    PaintStandardStrip(painter, *form, wholeBar, textRect, flags, m_active);
    const QRect captionBox(caption.Left, caption.Top, caption.Width(), caption.Height());

    if (m_paintMode == pcControl) {
        if (hasIcon && keepIcon && textRect.Left > caption.Left)
            m_icon = m_image.copy(caption.Left, caption.Top, textRect.Left - caption.Left, caption.Height());
        if (m_active || (m_options & fsInactiveGradient)) {
            const TColor end = m_active ? clActiveCaption : clInactiveCaption;
            FillGradient(painter, caption, clBlack, end, m_colors, 0);
            if (NewShell() && !m_icon.isNull()) {
                TBitmap icon;
                icon.Image = m_icon;
                // The icon's surroundings are the plain caption colour it was kept on.
                DrawBitmapTransparent(painter, { caption.Left, caption.Top, caption.Left + m_icon.width(), caption.Top + m_icon.height() },
                    icon, icon.ResolvedTransparentColor(), dbTransparentColor);
            }
        }
    } else if (m_paintMode == pcOwnerDraw && OnPaint) {
        painter.save();
        painter.setClipRect(captionBox);
        OnPaint(this, painter, caption);
        painter.restore();
    }

    TFontSpec font = m_font;
    if (m_options & fsUseDefaultFont) {
        // The classic scheme's caption font, small captions included.
        font = TFontSpec("MS Sans Serif", 8, fsBold);
        font.Color = m_font.Color;
    }
    painter.setFont(ToQFont(font));
    TColor color;
    if (!m_active)
        color = clInactiveCaptionText;
    else if ((m_options & fsUseDefaultFont) || !(m_options & fsUseFontColor))
        color = ColorToRGB(clCaptionText) == clBlack ? clWhite : clCaptionText;
    else
        color = font.Color;
    painter.setPen(ToQColor(color));
    painter.setBrush(Qt::NoBrush);

    if ((m_options & fsDrawCaptionEvent) || m_paintMode == pcOwnerDraw) {
        if (OnCaptionPaint) {
            painter.save();
            painter.setClipRect(QRect(textRect.Left, textRect.Top, textRect.Width(), textRect.Height()));
            OnCaptionPaint(this, painter, textRect);
            painter.restore();
        }
    } else if (m_active || !(m_options & fsUseFormCaption) || (m_options & fsInactiveGradient)) {
        unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        format |= m_alignment == taRightJustify ? DT_RIGHT : m_alignment == taCenter ? DT_CENTER : DT_LEFT;
        if (m_options & fsUseDefaultFont) {
            QRect box(textRect.Left, textRect.Top, textRect.Width(), textRect.Height());
            DrawTextA(painter, text, box, format);
        } else {
            DrawCaptionText(painter, text, &m_font3D, nullptr, dcEnabled, format, textRect);
        }
    }
}
