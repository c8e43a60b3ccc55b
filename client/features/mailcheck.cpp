#include "client/features/mailcheck.h"

#include "client/core/helpers.h"
#include "client/core/mainbar.h"
#include "client/core/mainbarwidgets.h"
#include "client/core/scrambler.h"
#include "client/core/session.h"
#include "client/features/mailauthenticateform.h"
#include "client/features/mailheader.h"
#include "client/features/newsalert.h"
#include "net/nmpop3.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifile.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/dialogs.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

bool g_running = false;
// The running check, cleared when its result step runs or it is cancelled.
TMailCheck* g_check = nullptr;
constexpr UINT kCancelMessage = WM_USER + 1;

TMailCheck::LogonPrompt& logonPrompt()
{
    static TMailCheck::LogonPrompt prompt = [](const std::string& caption, const std::string& server, std::string& user,
                                                std::string& password) {
        TMailAuthenticateForm form;
        form.SetCaption(caption);
        form.Edit1->setText(codepage::ToUnicode(server));
        form.Edit2->setText(codepage::ToUnicode(user));
        form.ShowModal();
        user = codepage::FromUnicode(form.Edit2->text());
        password = codepage::FromUnicode(form.Edit3->text());
        return form.Result;
    };
    return prompt;
}

// Milliseconds an account's server has for the connect and for each reply. The
// tests' stalled servers shorten it through KORVO_MAIL_TIMEOUT.
int AccountTimeOut()
{
    constexpr int kShipped = 20000;
    const char* text = std::getenv("KORVO_MAIL_TIMEOUT");
    const int value = text ? StrToIntDef(text, 0) : 0;
    return value > 0 ? value : kShipped;
}

// A value with a line break or NUL would become a command on the wire or a key of its own.
bool Clean(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; }

void ResultStep(TMailCheck& check)
{
    if (g_check == &check)
        g_check = nullptr;
    // A check of a session that ended tells nobody anything.
    if (check.Cancelled())
        return;
    g_running = false;
    // The bar may have closed while the check ran.
    if (Form1) {
        if (check.GotMail()) {
            Form1->ChnName->setText("YOU HAVE MAIL!");
            Form1->SpeedButton10->SetHint("You Have Messages");
            Form1->SpeedButton10->SetGlyph(QImage(QString::fromStdString(codepage::ToUtf8(AppPath() + "assets/tool_email2.bmp"))));
            if (check.PlaySound())
                PlayAppSound(16, true);
            if (check.ShowHeaders())
                ShowMailAlert();
        } else {
            // "NO MAIL" only when every mailbox said so; a failed one was skipped silently.
            if (check.Manual())
                Form1->ChnName->setText(check.AllChecked() ? QString("NO MAIL") : check.ChannelBefore());
            Form1->SpeedButton10->SetHint("Mail");
        }
    }
    if (check.AccountCount() == 0 && check.Manual())
        MessageDlg("\rYour mail account is not configured. Click Setup to configure your mail account.", mtWarning, mbOK, 0);
}

}  // namespace

TMailCheck::TMailCheck(bool manual)
    : TThread(true)
    , m_manual(manual)
    , m_folder(MailFolder(Session().userId))
{
}

TMailCheck::~TMailCheck()
{
    Terminate();
    if (!Finished())
        WaitFor();
}

void TMailCheck::SetLogonPrompt(LogonPrompt prompt) { logonPrompt() = std::move(prompt); }

void TMailCheck::Cancel()
{
    std::lock_guard lock(m_cancelLock);
    m_cancelled = true;
    Terminate();
    if (m_cancelWindow)
        PostMessage(m_cancelWindow, kCancelMessage, 0, 0);
}

bool TMailCheck::Cancelled() const
{
    std::lock_guard lock(m_cancelLock);
    return m_cancelled;
}

std::string TMailCheck::MailFolder(const std::string& user)
{
    if (!IsSafeFileName(user))
        return {};
    return IncludeTrailingPathDelimiter(WindowsDir()) + "my friends" + PathDelim + user + PathDelim + "mail" + PathDelim;
}

std::string TMailCheck::SenderOf(const std::string& from)
{
    std::string sender = Trim(from);
    if (sender.empty())
        return sender;
    if (sender[0] == '"') {
        sender.erase(0, 1);
        const auto quote = sender.find("\" <");
        if (quote != std::string::npos)
            sender.erase(quote);
    }
    const auto angle = sender.find(" <");
    if (angle != std::string::npos)
        sender.erase(angle);
    return sender;
}

void TMailCheck::Execute()
{
    m_gotMail = false;
    TIniFile settings("larkspire.ini");
    m_showHeaders = settings.ReadBool("Mail", "3", false);
    m_sound = settings.ReadBool("Mail", "4", false);
    if (m_folder.empty())
        return;
    DeleteFile(m_folder + "headers.inf");
    TIniFile(m_folder + "mail.inf").ReadSections(m_accounts);
    m_accountCount = m_accounts.Count();
    psock::TNMPOP3 client;
    {
        std::lock_guard lock(m_cancelLock);
        m_cancelWindow = AllocateHWnd([&client](TMessage& message) {
            if (message.Msg == kCancelMessage)
                client.Abort();
        });
    }
    for (int i = 0; i < m_accounts.Count() && !Terminated(); ++i) {
        // A refused login is asked for again until the user cancels: a loop, never a nesting.
        while (checkAccount(i, client) && !Terminated()) {
        }
    }
    {
        std::lock_guard lock(m_cancelLock);
        DeallocateHWnd(m_cancelWindow);
        m_cancelWindow = 0;
    }
    if (Terminated())
        return;
    std::string text;
    for (int i = 0; i < m_headers.Count(); ++i)
        text += m_headers[i] + "\r\n";
    WriteFileAtomically(m_folder + "headers.inf", text);
}

bool TMailCheck::prompt(int index, const std::string& host, const std::string& login, const std::string& status)
{
    std::string user = login;
    std::string password;
    bool ok = false;
    Synchronize([&] {
        // No prompt for a check the user's sign-off already ended.
        if (!Terminated())
            ok = logonPrompt()("Message " + Trim(status), host, user, password);
    });
    user = Trim(user);
    password = Trim(password);
    if (!ok || !Clean(user) || !Clean(password))
        return false;
    TIniFile ini(m_folder + "mail.inf");
    ini.WriteString(m_accounts[index], "login", user);
    ini.WriteString(m_accounts[index], "Password", ScrambleText(password));
    return true;
}

bool TMailCheck::checkAccount(int index, psock::TNMPOP3& client)
{
    const std::string& section = m_accounts[index];
    TIniFile ini(m_folder + "mail.inf");
    const std::string login = ini.ReadString(section, "login", "");
    const std::string host = ini.ReadString(section, "POP", "");
    const int port = ini.ReadInteger(section, "POPPort", 110);
    std::string password;
    try {
        password = UnscrambleText(ini.ReadString(section, "Password", ""));
    } catch (const std::exception&) {
        // A damaged password is asked for again.
    }
    if (Terminated())
        return false;
    if (Trim(password).empty() || Trim(login).empty())
        return prompt(index, host, login, client.Status());

    bool refused = false;
    std::string refusal;
    client.OnAuthenticationFailed = [&](bool& handled) {
        refused = true;
        // The server's own words, before QUIT brings its farewell.
        refusal = client.Status();
        handled = false;
    };
    client.AttachFilePath = ".";
    client.DeleteOnRead = false;
    client.ReportLevel = 2;
    client.TimeOut = AccountTimeOut();
    client.ReplyTimeOut = client.TimeOut;
    client.Host = host;
    client.Port = static_cast<std::uint16_t>(port > 0 && port < 65536 ? port : 110);
    client.UserID = login;
    client.Password = password;
    if (m_manual) {
        Synchronize([&] {
            if (Form1 && !Terminated())
                Form1->ChnName->setText(codepage::ToUnicode(UpperCase("CHECKING \r" + login)));
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMaxAccountMs);
    try {
        client.Connect();
        const int count = client.MailCount();
        TIniFile status(m_folder + "status.inf");
        const std::string key = login + "." + host;
        const int old = status.ReadInteger("status", key, 0);
        status.WriteInteger("status", key, count);
        if (old < count) {
            m_gotMail = true;
            if (m_showHeaders)
                listNewest(client, count, deadline);
        }
        ++m_checked;
    } catch (const std::exception&) {
        // An account that fails is skipped; its stored count stays.
    }
    try {
        client.Disconnect();
    } catch (const std::exception&) {
    }
    if (refused)
        return prompt(index, host, login, refusal);
    return false;
}

void TMailCheck::listNewest(psock::TNMPOP3& client, int count, std::chrono::steady_clock::time_point deadline)
{
    // Newest first, so whatever bound ends the account the newest are listed.
    std::vector<std::string> listed;
    std::size_t bytes = 0;
    const auto addListed = [&] {
        for (auto it = listed.rbegin(); it != listed.rend(); ++it)
            m_headers.Add(*it);
    };
    const int oldest = count > kMaxSummaries ? count - kMaxSummaries + 1 : 1;
    try {
        for (int n = count; n >= oldest && !Terminated(); --n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                break;
            client.ReplyTimeOut = static_cast<int>(std::min<long long>(AccountTimeOut(), left));
            client.GetSummary(n);
            const std::string subject = Trim(DecodeHeaderText(client.Summary().Subject));
            std::string line = Trim(DecodeHeaderText(SenderOf(client.Summary().From))) + ";"
                + (subject.empty() ? "(no subject)" : subject);
            if (bytes + line.size() + 2 > kMaxSummaryBytes)
                break;
            bytes += line.size() + 2;
            listed.push_back(std::move(line));
        }
    } catch (const std::exception&) {
        addListed();
        throw;
    }
    addListed();
    // Past a bound the account ends as a broken connection does: no QUIT to wait for.
    if (oldest > 1 || listed.size() < static_cast<std::size_t>(count - oldest + 1))
        client.Abort();
}

void StartMailCheck(bool manual)
{
    if (!Session().online || g_running)
        return;
    auto* check = new TMailCheck(manual);
    if (Form1 && Form1->ChnName)
        check->SetChannelBefore(Form1->ChnName->text());
    check->FreeOnTerminate = true;
    check->OnTerminate = [](TThread* sender) { ResultStep(*static_cast<TMailCheck*>(sender)); };
    g_running = true;
    g_check = check;
    check->Start();
}

bool MailCheckRunning() { return g_running; }

void CancelMailCheck()
{
    if (g_check)
        g_check->Cancel();
    g_check = nullptr;
    g_running = false;
}
