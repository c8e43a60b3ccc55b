#pragma once

#include <string>

class QAction;
class QMenu;

// The portal menu built from the program folder's channels.inf: each section
// lists caption = web address, or caption = 0xBB + the name of a sub-section.

// The caption of a key in a menu: its first "&" doubled, so it shows as typed.
std::string ChannelCaption(const std::string& key);

// Adds the entries of a channels.inf section to popup (top level, parent nullptr)
// or under parent, in key order.
void BuildChannelMenu(QMenu* popup, QAction* parent, const std::string& section);

// A click on an entry, or its sub-menu opening: a sub-section is built under it
// once; a web address is opened.
void ChannelMenuItemClick(QAction* item);

// The code-page caption and hint of an entry made here.
std::string ChannelItemCaption(const QAction* item);
std::string ChannelItemHint(const QAction* item);
