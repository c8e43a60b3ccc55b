#include "client/features/chatwindow.h"

#include "client/core/chatrouting.h"
#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/peerconnections.h"
#include "client/core/peerframe.h"
#include "client/core/peerlists.h"
#include "client/core/peersend.h"
#include "client/core/session.h"
#include "client/features/formatglyph.h"
#include "client/features/transcriptcap.h"
#include "kit/qorforma.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/graphics.h"
#include "platform/ui/richtext.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* kSizes[] = { "6", "7", "8", "9", "10", "11", "12", "13", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72" };

std::string Settings() { return AppPath() + "Channels.ini"; }

std::string Notice(const std::string& body) { return richtext::Header() + "\\deflang1033\\pard\\plain\\f2\\fs20" + body; }


}  // namespace

std::string JoinedNotice(const std::string& name)
{
    return Notice("\\cf0\\b    " + richtext::Escape(name) + " " + "\\plain\\f2\\fs20\\cf0 has joined this conference\\par }}");
}

std::string LeftNotice(const std::string& name)
{
    return Notice("\\cf1\\b    " + richtext::Escape(name) + " " + "\\plain\\f2\\fs20\\cf1 has left this conference\\par }");
}

std::string HostClosedNotice(const std::string& name)
{
    return Notice("\\cf1\\b    Conference hosted by " + richtext::Escape(name) + " " + "\\plain\\f2\\fs20\\cf1 has been closed.\\par }");
}

std::string BuddyGoneNotice(const std::string& name)
{
    return Notice("\\cf1\\b    " + richtext::Escape(UpperCase(name)) + " " + "\\plain\\f2\\fs20\\cf1 is no longer online.\\par }");
}

std::string WindowClosedNotice(const std::string& name)
{
    return Notice("\\cf1\\b " + richtext::Escape(UpperCase(name)) + "'S " + "\\plain\\f2\\fs20\\cf1 chat window is closed.\\par }");
}

std::string InvitationText(const std::string& me)
{
    return Notice("\\cf0\\b " + richtext::Escape(me) + " " + "\\plain\\f2\\fs20\\cf0 invites you to join this conference\\par }");
}

std::string WithSpeaker(const std::string& rtf, const std::string& me)
{
    const std::size_t p = rtf.find("\\pard");
    if (p == std::string::npos)
        return rtf;
    std::size_t rest = p + 5;
    // The space that ends "\pard" would otherwise start the spoken text.
    if (rest < rtf.size() && rtf[rest] == ' ')
        ++rest;
    return rtf.substr(0, p + 5) + "\\plain\\f2\\fs20\\b\\cf0 " + richtext::Escape(me) + ": " + rtf.substr(rest);
}

TForm14::TForm14(const std::string& key, const std::string& firstLine)
    // Scripts tell a site's room from the conversations by the form's name.
    : TForm(firstLine == kSiteMarker ? "TForm14" : "Form14")
    , m_key(key)
    , m_firstLine(firstLine)
    , m_siteWindow(firstLine == kSiteMarker)
{
    // The room the session has just made for this key is this window's, and no later one.
    if (const TChatRoom* room = m_siteWindow ? nullptr : PeerLists().FindChat(key))
        m_serial = room->serial;
    setToolTip(codepage::ToUnicode(key));
    SetCaption(key + " - Korvo");
    SetPosition(poDefault);
    resize(460, 380);
    SaveDialog1.Filter = "Rich Text Document (*.rtf)|*.rtf";
    SaveDialog1.DefaultExt = ".txt";

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(2);
    auto* menuBar = new QMenuBar(this);
    outer->addWidget(menuBar);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    Memo2 = new QTextEdit(splitter);
    Memo2->setObjectName("Memo2");
    Memo2->setReadOnly(true);
    Memo2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // No undo history: it would keep every line the transcript drops.
    Memo2->setUndoRedoEnabled(false);
    ListPanel = new QWidget(splitter);
    ListPanel->setObjectName("ListPanel");
    auto* listLayout = new QVBoxLayout(ListPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    Panel2 = new QLabel("Persons (0)", ListPanel);
    Panel2->setObjectName("Panel2");
    listLayout->addWidget(Panel2);
    ListBox1 = new QListWidget(ListPanel);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSortingEnabled(true);
    listLayout->addWidget(ListBox1);
    WhisperPanel = new QWidget(ListPanel);
    WhisperPanel->setObjectName("WhisperPanel");
    auto* whisperLayout = new QHBoxLayout(WhisperPanel);
    whisperLayout->setContentsMargins(0, 0, 0, 0);
    Whisper = new QPushButton("Whisper", WhisperPanel);
    Whisper->setObjectName("Whisper");
    whisperLayout->addWidget(Whisper);
    listLayout->addWidget(WhisperPanel);
    WhisperPanel->hide();
    ListPanel->hide();
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    outer->addWidget(splitter, 1);

    BuildFormatBar();
    outer->addWidget(Panel5);

    memo3 = new QTextEdit(this);
    memo3->setObjectName("memo3");
    memo3->setAcceptRichText(true);
    memo3->setFixedHeight(64);
    memo3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo3->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    outer->addWidget(memo3);

    auto* status = new QWidget(this);
    auto* statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(4, 0, 4, 2);
    StatusPanel0 = new QLabel(status);
    StatusPanel0->setObjectName("StatusBar1");
    StatusPanel0->setMinimumWidth(200);
    statusLayout->addWidget(StatusPanel0, 1);
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(status);
        panel->setFixedWidth(50);
        panel->setAlignment(Qt::AlignCenter);
        statusLayout->addWidget(panel);
    }
    outer->addWidget(status);

    BuildMenus(menuBar);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kFlashInterval);
    QObject::connect(Timer1, &QTimer::timeout, this, [this] {
        m_flashPhase = !m_flashPhase;
        QApplication::alert(this, kFlashInterval);
    });

    memo3->installEventFilter(this);
    memo3->viewport()->installEventFilter(this);
    Memo2->viewport()->installEventFilter(this);
    ListBox1->viewport()->installEventFilter(this);
    QObject::connect(memo3, &QTextEdit::textChanged, this, [this] { KeepInputShort(); });
    QObject::connect(memo3, &QTextEdit::selectionChanged, this, [this] { InputSelectionChanged(); });
    QObject::connect(Memo2, &QTextEdit::selectionChanged, this, [this] {
        const bool selected = Memo2->textCursor().hasSelection();
        Copy1->setEnabled(selected || memo3->textCursor().hasSelection());
        PopupCopy->setEnabled(Copy1->isEnabled());
    });
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdatePaste(); });

    QObject::connect(Whisper, &QPushButton::clicked, this, [this] { Application::Guarded([this] { WhisperClick(); }); });

    OnCloseQuery = [this](bool& canClose) {
        // A site is no buddy: its window tells no one it closed, and sends no QUIT.
        if (ChatRoom())
            CloseChatWindow(m_key);
        canClose = true;
    };
    OnClose = [this](TCloseAction& action) {
        m_room.SiteMode = false;
        TextClient1.Close();
        action = caFree;
    };

    // Window events and size limits only: the placement is not kept between runs.
    QORForm1 = std::make_unique<TQORForm>(this);
    QORForm1->SetIniKey("Form14");
    QORForm1->SetIniUse(ioNone);
    QORForm1->SetTrackMinWidth(326);
    QORForm1->SetTrackMinHeight(270);
    QORForm1->Loaded();
}

TChatRoom* TForm14::ChatRoom() const { return m_serial ? PeerLists().FindChatSerial(m_serial) : nullptr; }

void TForm14::Rejoin()
{
    if (const TChatRoom* room = PeerLists().FindChat(m_key))
        m_serial = room->serial;
}

TForm14::~TForm14()
{
    m_room.OnChange = nullptr;
    m_room.OnDisconnect = nullptr;
    m_room.SiteMode = false;
    TextClient1.OnLineReceived = nullptr;
    TextClient1.Close();
}

void TForm14::BuildMenus(QWidget* bar)
{
    auto* menuBar = static_cast<QMenuBar*>(bar);
    const auto add = [this](QMenu* menu, const char* caption, const char* name, std::function<void()> action,
                            QKeySequence shortcut = {}) {
        QAction* item = menu->addAction(codepage::ToUnicode(caption));
        item->setObjectName(name);
        if (!shortcut.isEmpty())
            item->setShortcut(shortcut);
        QObject::connect(item, &QAction::triggered, this, [action] { Application::Guarded(action); });
        return item;
    };
    QMenu* file = menuBar->addMenu(codepage::ToUnicode("&File"));
    add(file, "&Save", "Save1", [this] {
        if (!m_transcriptFile.Path().empty())
            return;
        SaveDialog1.FileName = "*.rtf";
        if (SaveDialog1.Execute(this))
            SaveTo(SaveDialog1.FileName);
    }, QKeySequence(Qt::Key_F2));
    add(file, "&Save As....", "SaveAs1", [this] {
        SaveDialog1.FileName = m_transcriptFile.Path();
        if (SaveDialog1.Execute(this))
            SaveTo(SaveDialog1.FileName);
    });
    add(file, "&Clear", "Clear1", [this] {
        Memo2->clear();
        SaveChange();
    });
    add(file, "E&xit", "Exit1", [this] { Close(); });

    QMenu* edit = menuBar->addMenu(codepage::ToUnicode("&Edit"));
    Cut1 = add(edit, "Cu&t", "Cut1", [this] { memo3->cut(); }, QKeySequence(Qt::CTRL | Qt::Key_X));
    Copy1 = add(edit, "&Copy", "Copy1", [this] {
        if (Memo2->textCursor().hasSelection())
            Memo2->copy();
        else
            memo3->copy();
    }, QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste1 = add(edit, "&Paste", "Paste1", [this] { memo3->paste(); }, QKeySequence(Qt::CTRL | Qt::Key_V));
    Cut1->setEnabled(false);
    Copy1->setEnabled(false);

    QMenu* options = menuBar->addMenu(codepage::ToUnicode("&Options"));
    Sound1 = add(options, "S&ound", "Sound1", [this] { SetSound(Sound1->isChecked()); });
    Sound1->setCheckable(true);
    add(options, "Repeat &Text", "RepeatText1", [this] { RepeatText(); }, QKeySequence(Qt::Key_F3));

    Invite1 = menuBar->addMenu(codepage::ToUnicode("&Invite"));
    Invite1->setObjectName("Invite1");
    InviteMenu = Invite1->menuAction();
    InviteMenu->setVisible(false);
    IRCRooms = menuBar->addMenu(codepage::ToUnicode("&Rooms"));
    IRCRooms->setObjectName("IRCRooms");
    IRCRooms->menuAction()->setVisible(false);

    // The input's own pop-up menu.
    auto* popup = new QMenu(this);
    PopupCut = add(popup, "Cu&t", "PopupCut", [this] { memo3->cut(); });
    PopupCopy = add(popup, "&Copy", "PopupCopy", [this] { Copy1->trigger(); });
    PopupPaste = add(popup, "&Paste", "PopupPaste", [this] { memo3->paste(); });
    PopupCut->setEnabled(false);
    PopupCopy->setEnabled(false);
    memo3->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo3, &QWidget::customContextMenuRequested, this,
                     [this, popup](const QPoint& at) { popup->popup(memo3->mapToGlobal(at)); });
}

void TForm14::BuildFormatBar()
{
    Panel5 = new QWidget(this);
    Panel5->setObjectName("Panel5");
    auto* layout = new QHBoxLayout(Panel5);
    layout->setContentsMargins(2, 0, 2, 0);
    const auto button = [this, layout](const char* name, const char* hint, const char* text, bool checkable) {
        auto* b = new QToolButton(Panel5);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setText(text);
        b->setCheckable(checkable);
        layout->addWidget(b);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", "Font Color", "A", false);
    SpeedButton3 = button("SpeedButton3", "Normal Font", "N", false);
    SpeedButton5 = button("SpeedButton5", "Bold", "B", true);
    SpeedButton6 = button("SpeedButton6", "Italic", "I", true);
    SpeedButton7 = button("SpeedButton7", "Underline", "U", true);
    SpeedButton8 = button("SpeedButton8", "Repeat Last Text", "R", false);
    SetFormatGlyph(SpeedButton1, { false, false, false, Qt::red });
    SetFormatGlyph(SpeedButton3, { false, false, false, QColor() });
    SetFormatGlyph(SpeedButton5, { true, false, false, QColor() });
    SetFormatGlyph(SpeedButton6, { false, true, false, QColor() });
    SetFormatGlyph(SpeedButton7, { false, false, true, QColor() });
    SetFormatGlyph(SpeedButton8, { true, true, false, QColor() });
    ComboBox1 = new QComboBox(Panel5);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setToolTip("Font Size");
    for (const char* size : kSizes)
        ComboBox1->addItem(size);
    layout->addWidget(ComboBox1);
    layout->addStretch(1);

    QObject::connect(SpeedButton1, &QToolButton::clicked, this, [this] {
        TColorDialog dialog;
        dialog.Color = FromQColor(memo3->currentCharFormat().foreground().color());
        // The dialog runs the loop: the window may be gone when it returns.
        const QPointer<TForm14> self(this);
        if (!dialog.Execute(this) || !self)
            return;
        const QColor color = ToQColor(dialog.Color);
        ApplyFormat([&](QTextCharFormat& format) { format.setForeground(color); }, false);
        QPalette palette = SpeedButton1->palette();
        palette.setColor(QPalette::ButtonText, color);
        SpeedButton1->setPalette(palette);
    });
    QObject::connect(SpeedButton3, &QToolButton::clicked, this, [this] {
        const QColor listColor = ListBox1->palette().color(QPalette::Text);
        ApplyFormat([&](QTextCharFormat& format) {
            format.setFontPointSize(m_fontSize);
            format.setFontWeight(QFont::Normal);
            format.setFontItalic(false);
            format.setFontUnderline(false);
            format.setForeground(listColor);
        }, false);
    });
    QObject::connect(SpeedButton5, &QToolButton::clicked, this, [this](bool down) {
        ApplyFormat([down](QTextCharFormat& format) { format.setFontWeight(down ? QFont::Bold : QFont::Normal); }, true);
    });
    QObject::connect(SpeedButton6, &QToolButton::clicked, this, [this](bool down) {
        ApplyFormat([down](QTextCharFormat& format) { format.setFontItalic(down); }, true);
    });
    QObject::connect(SpeedButton7, &QToolButton::clicked, this, [this](bool down) {
        ApplyFormat([down](QTextCharFormat& format) { format.setFontUnderline(down); }, true);
    });
    QObject::connect(SpeedButton8, &QToolButton::clicked, this, [this] { RepeatText(); });
    QObject::connect(ComboBox1, &QComboBox::textActivated, this, [this](const QString& text) {
        ApplyFormat([&](QTextCharFormat& format) { format.setFontPointSize(text.toInt()); }, false);
        memo3->setFocus();
    });
}

void TForm14::ApplyFormat(const std::function<void(QTextCharFormat&)>& change, bool selectionOnly)
{
    const bool selected = memo3->textCursor().hasSelection();
    if (selectionOnly && !selected)
        return;
    QTextCharFormat format;
    change(format);
    memo3->mergeCurrentCharFormat(format);
}

void TForm14::ShowChat()
{
    Show();
    Activate();
    UpdatePaste();
    const TIniFile settings(Settings());
    m_fontSize = std::clamp(settings.ReadInteger("Settings", "ChatFontSize", 11), 6, 72);
    SetSound(settings.ReadInteger("Settings", "ChatSound", 1) != 0);
    ApplyFontSize(m_fontSize);
    if (m_siteWindow) {
        ShowSite();
        return;
    }
    if (m_key.find('*') == std::string::npos)
        return;
    ListPanel->show();
    const std::string& me = Session().userId;
    if (m_key == "Conference*") {
        if (Form1)
            for (int i = 0; i < Form1->FriendsListBox.Count(); ++i) {
                const Tbuddy* buddy = Form1->FriendsListBox.Item(i);
                if (buddy->Online && !buddy->Away)
                    HandleChatLine(m_key, "\xF8" + buddy->Name);
            }
        InviteMenu->setVisible(true);
        AddChatPerson(m_key, me + " (Host)");
    } else {
        InviteMenu->setVisible(false);
        SendChatCommand("conference", m_key, "\xFA" + me);
    }
}

void TForm14::ApplyFontSize(int size)
{
    const int index = ComboBox1->findText(QString::number(size));
    if (index >= 0)
        ComboBox1->setCurrentIndex(index);
    QFont font = memo3->font();
    font.setPointSize(size);
    memo3->setFont(font);
    memo3->document()->setDefaultFont(font);
    QTextCharFormat format;
    format.setFontPointSize(size);
    memo3->mergeCurrentCharFormat(format);
    QFont transcript = Memo2->font();
    transcript.setPointSize(size);
    Memo2->setFont(transcript);
    try {
        TIniFile(Settings()).WriteInteger("Settings", "ChatFontSize", size);
    } catch (const std::exception& error) {
        ReportWriteFailure(error);
    }
}

void TForm14::SetSound(bool on)
{
    Sound1->setChecked(on);
    if (TChatRoom* room = ChatRoom())
        room->sound = on;
    try {
        TIniFile(Settings()).WriteInteger("Settings", "ChatSound", on ? 1 : 0);
    } catch (const std::exception& error) {
        ReportWriteFailure(error);
    }
}

void TForm14::AppendRichText(const std::string& text, QTextEdit* target)
{
    if (text.find("{\\rtf1\\") == std::string::npos)
        return;
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '\xEF', '"');
    const bool active = isActiveWindow();
    if (active)
        Memo2->setFocus();
    if (target == Memo2) {
        QTextCursor cursor(Memo2->document());
        cursor.movePosition(QTextCursor::End);
        QTextCursor mark = cursor;
        mark.setKeepPositionOnInsert(true);
        richtext::Insert(cursor, shown);
        cursor.insertBlock();
        Memo2->setTextCursor(cursor);
        Memo2->ensureCursorVisible();
        SaveGrowth(mark);
        // A conversation's line is followed by an empty one.
        TrimTranscript(*Memo2->document(), 2);
    } else {
        QTextCursor cursor = target->textCursor();
        richtext::Insert(cursor, shown);
        target->setTextCursor(cursor);
    }
    if (active)
        memo3->setFocus();
    else if (!Timer1->isActive())
        Timer1->start();
}

void TForm14::SendInput()
{
    StopFlashing();
    if (memo3->toPlainText().trimmed().isEmpty())
        return;
    if (m_siteWindow) {
        SendSiteInput();
        return;
    }
    const TChatRoom* room = ChatRoom();
    // A buddy's window kept from an earlier session takes up the conversation again.
    if (!room && PeerNetwork() && m_key.find('*') == std::string::npos) {
        OpenChatWindow(m_key, "");
        room = ChatRoom();
    }
    if (!room) {
        // Signed off: what was typed stays.
        QApplication::beep();
        return;
    }
    const std::string& me = Session().userId;
    const std::string rtf = Trim(richtext::Write(*memo3->document()));
    m_lastSent = rtf;
    const std::string line = WithSpeaker(rtf, me);
    const bool conference = m_key.find('*') != std::string::npos;
    const bool host = m_key == "Conference*";
    const std::vector<std::string> persons = room->persons;
    // A conference nobody is in yet has nobody to tell.
    if (conference && persons.empty())
        return;
    std::string wire = line;
    std::erase(wire, '\r');
    std::erase(wire, '\n');
    std::replace(wire.begin(), wire.end(), '"', '\xEF');
    const std::string command = conference ? "conference" : "chat";
    bool fits = true;
    if (host) {
        for (const std::string& person : persons)
            fits = fits && FrameFits(BuildPeerFrame("conferencehost", me, person, wire));
    } else {
        fits = FrameFits(BuildPeerFrame(command, me, m_key, wire));
    }
    if (!fits) {
        // The line stays in the input, so it can be shortened.
        StatusPanel0->setText("Your message is too long to send. Please shorten it.");
        return;
    }
    StatusPanel0->clear();
    AppendRichText(line, Memo2);
    memo3->setFocus();
    memo3->clear();
    if (!host) {
        SendChatCommand(command, m_key, wire);
        if (Sound1->isChecked())
            PlayAppSound(15, true);
        return;
    }
    for (const std::string& person : persons)
        if (person.find("(Host)") == std::string::npos)
            SendChatCommand("conferencehost", person, wire);
    if (Sound1->isChecked())
        PlayAppSound(14, true);
}

void TForm14::SetPersons(const std::vector<std::string>& persons)
{
    ListBox1->clear();
    for (const std::string& person : persons)
        ListBox1->addItem(codepage::ToUnicode(person));
    Panel2->setText(codepage::ToUnicode("Persons (" + std::to_string(persons.size()) + ")"));
}

void TForm14::SetInviteItems(const std::vector<std::string>& hints)
{
    Invite1->clear();
    for (const std::string& hint : hints) {
        QAction* item = Invite1->addAction(codepage::ToUnicode("&" + hint));
        item->setToolTip(codepage::ToUnicode(hint));
        QObject::connect(item, &QAction::triggered, this, [this, hint] { Application::Guarded([this, hint] { InviteClick(hint); }); });
    }
}

void TForm14::ShowNotice(peerhooks::ChatNotice notice, const std::string& name)
{
    switch (notice) {
    case peerhooks::cnClosed:
        AppendRichText(WindowClosedNotice(name), Memo2);
        break;
    case peerhooks::cnOffline:
        AppendRichText(BuddyGoneNotice(name), Memo2);
        break;
    case peerhooks::cnStatusClear:
        StatusPanel0->clear();
        break;
    case peerhooks::cnJoined:
        AppendRichText(JoinedNotice(name), Memo2);
        break;
    case peerhooks::cnLeft:
        AppendRichText(LeftNotice(name), Memo2);
        break;
    case peerhooks::cnHostClosed:
        AppendRichText(HostClosedNotice(name), Memo2);
        break;
    }
}

void TForm14::SendMemberList(const std::string& newcomer)
{
    const TChatRoom* room = ChatRoom();
    if (!room)
        return;
    const std::vector<std::string> persons = room->persons;
    for (const std::string& person : persons)
        SendChatCommand("conferencehost", newcomer, "\xFC" + person);
}

void TForm14::InviteClick(const std::string& name)
{
    if (!ChatRoom()) {
        // A conference of an earlier session invites no one.
        QApplication::beep();
        return;
    }
    StatusPanel0->setText(codepage::ToUnicode("Inviting " + name + ", Waiting for reply..."));
    InviteToConference(name);
    SendChatCommand("conferenceopen", name, InvitationText(Session().userId));
}

void TForm14::StopFlashing()
{
    Timer1->stop();
    m_flashPhase = false;
}

bool TForm14::Flashing() const { return Timer1->isActive(); }

bool TForm14::SaveTo(const std::string& path)
{
    const bool ok = m_transcriptFile.SaveAs(path, *Memo2->document());
    Saved(ok);
    return ok;
}

void TForm14::SaveGrowth(const QTextCursor& mark) { Saved(m_transcriptFile.Appended(*Memo2->document(), mark.position())); }

void TForm14::SaveChange() { Saved(m_transcriptFile.Changed(*Memo2->document())); }

void TForm14::Saved(bool ok)
{
    if (ok || m_saveFailed) {
        m_saveFailed = !ok;
        return;
    }
    m_saveFailed = true;
    // Told from the loop: a line arriving from the network is not held by the box.
    const std::string text = "\rThe chat could not be saved to " + m_transcriptFile.Path() + ".";
    QTimer::singleShot(0, this, [text] { MessageDlg(text, mtError, mbOK, 0); });
}

void TForm14::RepeatText()
{
    if (m_lastSent.empty())
        return;
    memo3->clear();
    AppendRichText(m_lastSent, memo3);
}

void TForm14::UpdatePaste()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const bool can = data && (data->hasText() || data->hasHtml());
    Paste1->setEnabled(can);
    PopupPaste->setEnabled(can);
}

void TForm14::InputSelectionChanged()
{
    const QTextCursor cursor = memo3->textCursor();
    const bool selected = cursor.hasSelection();
    Cut1->setEnabled(selected);
    PopupCut->setEnabled(selected);
    Copy1->setEnabled(selected || Memo2->textCursor().hasSelection());
    PopupCopy->setEnabled(Copy1->isEnabled());
    const QTextCharFormat format = memo3->currentCharFormat();
    SpeedButton5->setChecked(format.fontWeight() >= QFont::DemiBold);
    SpeedButton6->setChecked(format.fontItalic());
    SpeedButton7->setChecked(format.fontUnderline());
    if (format.fontPointSize() > 0) {
        const int index = ComboBox1->findText(QString::number(static_cast<int>(format.fontPointSize())));
        if (index >= 0)
            ComboBox1->setCurrentIndex(index);
    }
}

void TForm14::KeepInputShort()
{
    if (m_trimming)
        return;
    const int length = memo3->document()->characterCount() - 1;
    if (length <= kMaxInput)
        return;
    m_trimming = true;
    QTextCursor cursor(memo3->document());
    cursor.setPosition(kMaxInput);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_trimming = false;
}

bool TForm14::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        StopFlashing();
        if (watched == ListBox1->viewport())
            memo3->setFocus();
    }
    if (watched == memo3 && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (event->type() == QEvent::KeyRelease) {
            StopFlashing();
            if (enter)
                Application::Guarded([this] { SendInput(); });
        }
        // The input takes no line breaks: Enter sends.
        if (enter)
            return true;
    }
    return TForm::eventFilter(watched, event);
}

void TForm14::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        StopFlashing();
    TForm::changeEvent(event);
}
