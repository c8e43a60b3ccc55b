#include "client/core/servicelogon.h"
#include "client/core/channelsmenu.h"

#include "client/core/helpers.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/messages.h"

#include <QAction>
#include <QMenu>

namespace {

constexpr char kSubSectionMark = '\xBB';
constexpr const char* kCaptionProperty = "korvoCaption";
constexpr const char* kHintProperty = "korvoHint";
// A channels.inf is a shipped file, but a damaged one must not build a menu without end.
constexpr int kMaxMenuEntries = 500;

std::string FromBytes(const QVariant& v)
{
    const QByteArray bytes = v.toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Menus show a backspace as "right-align the rest"; Qt has no such mark, so it is left out.
QString DisplayCaption(const std::string& caption)
{
    std::string shown;
    for (const char c : caption)
        if (c != '\b')
            shown += c;
    return codepage::ToUnicode(TrimRight(shown));
}

QAction* MakeItem(QObject* owner, const std::string& caption, const std::string& hint)
{
    auto* item = new QAction(DisplayCaption(caption), owner);
    item->setProperty(kCaptionProperty, QByteArray::fromStdString(caption));
    item->setProperty(kHintProperty, QByteArray::fromStdString(hint));
    return item;
}

QMenu* SubMenuOf(QAction* item)
{
    if (QMenu* menu = item->menu())
        return menu;
    auto* menu = new QMenu();
    // The sub-menu lives exactly as long as its entry.
    QObject::connect(item, &QObject::destroyed, menu, [menu] { delete menu; });
    item->setMenu(menu);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [item] { Application::Guarded([item] { ChannelMenuItemClick(item); }); });
    return menu;
}

// The title item and separator every sub-menu starts with.
void AddTitle(QAction* item, const std::string& caption)
{
    QMenu* menu = SubMenuOf(item);
    menu->addAction(MakeItem(menu, caption + std::string(32, ' ') + '\b', ""));
    menu->addSeparator();
}

}  // namespace

std::string ChannelCaption(const std::string& key)
{
    std::string caption = key;
    if (const std::size_t at = caption.find('&'); at != std::string::npos)
        caption.insert(at, 1, '&');
    return caption;
}

void BuildChannelMenu(QMenu* popup, QAction* parent, const std::string& section)
{
    const TIniFile ini(AppPath() + "channels.inf");
    TStringList keys;
    ini.ReadSection(section, keys);
    keys.Sort();
    const int count = std::min(keys.Count(), kMaxMenuEntries);
    for (int i = 0; i < count; ++i) {
        const std::string value = ini.ReadString(section, keys[i], "empty");
        const std::string caption = ChannelCaption(keys[i]);
        if (parent) {
            QMenu* menu = SubMenuOf(parent);
            QAction* item = MakeItem(menu, caption, value);
            QObject::connect(item, &QAction::triggered, item, [item] { Application::Guarded([item] { ChannelMenuItemClick(item); }); });
            menu->addAction(item);
            if (!value.empty() && value.front() == kSubSectionMark)
                AddTitle(item, caption);
        } else {
            QAction* item = MakeItem(popup, caption, value);
            QObject::connect(item, &QAction::triggered, item, [item] { Application::Guarded([item] { ChannelMenuItemClick(item); }); });
            popup->addAction(item);
            AddTitle(item, caption);
            if (i < count - 1)
                popup->addSeparator();
        }
    }
}

void ChannelMenuItemClick(QAction* item)
{
    std::string hint = ChannelItemHint(item);
    if (!hint.empty() && hint.front() == kSubSectionMark) {
        hint.erase(0, 1);
        // Cleared first, so a sub-section that names itself is built only once.
        item->setProperty(kHintProperty, QByteArray());
        BuildChannelMenu(nullptr, item, hint);
    } else if (!hint.empty()) {
        NavigateTo(hint);
    }
}

std::string ChannelItemCaption(const QAction* item) { return FromBytes(item->property(kCaptionProperty)); }
std::string ChannelItemHint(const QAction* item) { return FromBytes(item->property(kHintProperty)); }
